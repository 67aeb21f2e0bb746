#include "janela_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "engine/quoting.h"
#include "register/valida_bups.h"

namespace pezolva::testing {

JanelaCopiasTest::JanelaCopiasTest() {
    testproject::Opcoes opcoes;
    opcoes.linhas = 5;
    projecto_teste = testproject::cria_projecto(t.dir.file("proj"), opcoes);
    projecto.caminho = projecto_teste.pasta;
    projecto.projecto = "proj";
    projecto.nome_bd = testproject::kPrincipal;
    projecto.passwd = testproject::kPassePrincipal;
    create_directories(t.files, pasta_copias());
    bool inconsistente = false;
    valida_bups_bd(projecto, t.services, {}, inconsistente);
    EXPECT_FALSE(inconsistente);
    EXPECT_TRUE(t.dialogs.shown().empty());
    t.dialogs.clear();
}

engine::Database JanelaCopiasTest::principal() {
    return engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
}

void JanelaCopiasTest::regista(const std::string& nome_bd, const std::string& atribuicoes) {
    principal().Execute("update BUPS set " + atribuicoes +
                        " where BUP_NOME_BD=" + engine::quote_literal(nome_bd));
}

Value JanelaCopiasTest::coluna(const std::string& nome_bd, const std::string& coluna) {
    engine::Recordset rs = principal().OpenRecordset("select * from BUPS where BUP_NOME_BD=" +
                                                     engine::quote_literal(nome_bd));
    return rs[coluna];
}

std::vector<std::string> JanelaCopiasTest::copias() {
    std::vector<std::string> nomes = t.files.list_files(pasta_copias());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

std::unique_ptr<conf_copias> JanelaCopiasTest::abre_janela() {
    auto janela = std::make_unique<conf_copias>(t.services, projecto);
    janela->carrega_projecto();
    return janela;
}

void JanelaCopiasTest::mostra(conf_copias& janela) {
    janela.show();
    QApplication::setActiveWindow(&janela);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&janela));
}

QLineEdit* JanelaCopiasTest::campo(QWidget& janela, int indice) {
    const std::string nome = "Text3(" + std::to_string(indice) + ")";
    return controlo<QLineEdit>(janela, nome.c_str());
}

void JanelaCopiasTest::clica(QWidget& janela, const char* nome) {
    auto* b = controlo<QAbstractButton>(janela, nome);
    if (b == nullptr) return;
    // A tick box answers only on its box or caption, at its left.
    const QPoint ponto =
        qobject_cast<QCheckBox*>(b) ? QPoint(8, b->height() / 2) : b->rect().center();
    QTest::mouseClick(b, Qt::LeftButton, {}, ponto);
}

std::vector<std::string> JanelaCopiasTest::marcadas(QWidget& janela) {
    std::vector<std::string> nomes;
    auto* lista = controlo<QTreeWidget>(janela, "ListView1");
    for (int i = 0; lista && i < lista->topLevelItemCount(); ++i) {
        if (lista->topLevelItem(i)->checkState(0) == Qt::Checked) {
            nomes.push_back(lista->topLevelItem(i)->text(0).toStdString());
        }
    }
    return nomes;
}

void JanelaCopiasTest::marca(QWidget& janela, const std::string& nome, bool marcada) {
    auto* lista = controlo<QTreeWidget>(janela, "ListView1");
    const auto encontrados =
        lista->findItems(QString::fromStdString(nome), Qt::MatchFixedString, 0);
    ASSERT_EQ(encontrados.size(), 1) << nome;
    encontrados[0]->setCheckState(0, marcada ? Qt::Checked : Qt::Unchecked);
}

void JanelaCopiasTest::marca_so(QWidget& janela, const std::vector<std::string>& nomes) {
    auto* lista = controlo<QTreeWidget>(janela, "ListView1");
    for (int i = 0; i < lista->topLevelItemCount(); ++i) {
        const std::string nome = lista->topLevelItem(i)->text(0).toStdString();
        marca(janela, nome, std::find(nomes.begin(), nomes.end(), nome) != nomes.end());
    }
}

void JanelaCopiasTest::escolhe_linha(QWidget& janela, int linha) {
    auto* lista = controlo<QTreeWidget>(janela, "ListView1");
    QTreeWidgetItem* item = lista->topLevelItem(linha);
    ASSERT_NE(item, nullptr);
    const QRect r = lista->visualItemRect(item);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, r.center());
}

void JanelaCopiasTest::escreve(QWidget& janela, int indice, const std::string& texto) {
    QLineEdit* c = campo(janela, indice);
    ASSERT_NE(c, nullptr);
    c->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    c->selectAll();
    if (texto.empty()) {
        QTest::keyClick(c, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(c, QString::fromStdString(texto));
    }
    QTest::keyClick(c, Qt::Key_Tab);
    QApplication::processEvents();
}

}  // namespace pezolva::testing
