// Every window of the component, in its main states, with a 60-character
// project name and an 80-character path: no label or list text is cut
// without its whole text in a tooltip, and none runs past its control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/ui/conf_copias.h"
#include "common/ui/navegador_pastas.h"
#include "common/ui/pergunta.h"
#include "compaction/ui/espera_setup.h"
#include "engine/database.h"
#include "integrity/ui/ver_integridade.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"
#include "project/ui/escolhe_proj.h"
#include "register/valida_bups.h"
#include "restore/ui/repor_copias_janela.h"
#include "support/fixtures.h"
#include "testproject/projecto_teste.h"

namespace pezolva {
namespace {

const std::string kNomeLongo =
    "Associação Humanitária dos Bombeiros Voluntários de Vila Nova";  // 60

// What is wrong with how `janela` shows its texts, one line per fault.
std::vector<std::string> problemas(QWidget& janela) {
    std::vector<std::string> lista;
    const std::string onde = janela.objectName().toStdString() + ": ";
    for (const QLabel* l : janela.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty() || l->wordWrap() ||
            l->textFormat() == Qt::RichText)
            continue;
        const QString texto = l->text();
        const int largura = l->fontMetrics().horizontalAdvance(texto.section('\n', 0, 0));
        if (largura > l->contentsRect().width() + 1) {
            lista.push_back(onde + "the label " + l->objectName().toStdString() +
                            " runs past its control: " + texto.toStdString());
        }
        if (texto.contains(QChar(0x2026)) && l->toolTip().isEmpty()) {
            lista.push_back(onde + "the label " + l->objectName().toStdString() +
                            " is cut without a tooltip");
        }
    }
    for (const QTreeWidget* t : janela.findChildren<QTreeWidget*>()) {
        if (!t->isVisible()) continue;
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = t->topLevelItem(i);
            for (int c = 0; c < t->columnCount(); ++c) {
                if (t->isColumnHidden(c) || item->text(c).isEmpty()) continue;
                // The room the view's own delegate asks for the cell.
                QStyleOptionViewItem opcao;
                opcao.initFrom(t);
                opcao.font = item->font(c);
                opcao.features = QStyleOptionViewItem::HasDisplay;
                const QModelIndex indice = t->model()->index(i, c);
                const int precisa = t->itemDelegate()->sizeHint(opcao, indice).width();
                const bool cortado = precisa > t->columnWidth(c);
                if (cortado && item->toolTip(c).isEmpty()) {
                    lista.push_back(onde + "the list " + t->objectName().toStdString() +
                                    " cuts \"" + item->text(c).toStdString() +
                                    "\" without a tooltip");
                }
            }
        }
    }
    return lista;
}

class JanelasLegiveisTest : public ::testing::Test {
  protected:
    JanelasLegiveisTest() {
        // An 80-character folder under the test's own.
        std::string pasta =
            t.dir.file("Câmara Municipal de Vila Nova/Departamento de Obras e Ambiente");
        pasta += "/" + std::string(std::max<int>(0, 80 - static_cast<int>(pasta.size()) - 1), 'p');
        testproject::Opcoes opcoes;
        opcoes.linhas = 2;
        teste = testproject::cria_projecto(pasta, opcoes);
        projecto = {teste.pasta, kNomeLongo, testproject::kPrincipal, testproject::kPassePrincipal,
                    false,       true};
        bool inconsistente = false;
        valida_bups_bd(projecto, t.services, {}, inconsistente);
        engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao())
            .Execute(
                "update BUPS set BUP_ULT_DESTINO=BUP_CAMINHO_DESTINO, BUP_ULT_DATA='2005-05-12', "
                "BUP_ULT_HORA='18:42:10'");
        create_directories(t.files, teste.pasta + "/copiaseg");
        t.files.copy_file(teste.principal.caminho,
                          teste.pasta + "/copiaseg/brasol200505191407.mdb");
    }
    void confere(QWidget& janela) {
        janela.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        for (const std::string& p : problemas(janela)) ADD_FAILURE() << p;
    }

    testing::TestServices t;
    testproject::Projecto teste;
    ProjectoActual projecto;
};

TEST_F(JanelasLegiveisTest, EveryWindowShowsLongNamesAndPathsWhole) {
    {
        conf_copias janela(t.services, projecto);
        janela.carrega_projecto();
        janela.forma_completa();
        confere(janela);
    }
    {
        repor_copias janela(t.services, projecto);
        confere(janela);
        ASSERT_GT(janela.lista().topLevelItemCount(), 0);
    }
    {
        ver_integridade janela(projecto);
        janela.carrega_projecto();
        confere(janela);
    }
    {
        const std::vector<EntradaProjecto> lista = {
            {kNomeLongo, kNomeLongo, "brasol.mdb", teste.pasta}};
        escolhe_proj janela(lista);
        confere(janela);
    }
    {
        NavegadorPastas janela(QString::fromStdString(teste.pasta),
                               QStringLiteral("Seleccione a pasta"));
        confere(janela);
    }
    {
        AvisoEsperaJanela aviso;
        aviso.mostra("A COMPACTAR", std::string(41, 'b') + ".mdb");
        confere(*aviso.janela());
        aviso.fecha();
    }
    {
        mnt m;
        const operacoes::Projecto p{kNomeLongo, kNomeLongo, teste.pasta, "brasol.mdb"};
        const std::vector<operacoes::BaseRegistada> registo = {{std::string(41, 'b') + ".mdb", "1",
                                                                "5", "estr_b.ebd", teste.pasta,
                                                                true, "12-05-2005 18:42:10"}};
        cli::JanelaPrincipal janela(p, cli::operacoes_do_lancador(m), [&] { return registo; });
        confere(janela);
    }
}

// The check itself finds what it must: a label wider than its room, and a
// list text cut without a tooltip.
TEST_F(JanelasLegiveisTest, TheCheckFindsACutTextWithoutATooltip) {
    QWidget janela;
    janela.setObjectName("ensaio");
    auto* l = new QLabel(QString::fromStdString(kNomeLongo + kNomeLongo), &janela);
    l->setGeometry(0, 0, 50, 20);
    auto* lista = new QTreeWidget(&janela);
    lista->setGeometry(0, 30, 200, 100);
    lista->setColumnWidth(0, 40);
    new QTreeWidgetItem(lista, {QString::fromStdString(kNomeLongo)});
    janela.show();
    QApplication::processEvents();
    EXPECT_EQ(problemas(janela).size(), 2u);
}

}  // namespace
}  // namespace pezolva
