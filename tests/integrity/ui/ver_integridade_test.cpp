// The verification window driven through its control names on real test
// projects.
#include "integrity/ui/ver_integridade.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "common/ui/rotulo_elidido.h"
#include "integrity/projecto_fixture.h"
#include "testproject/divergencias.h"

namespace pezolva {
namespace {

// The project lives under a long folder name, as users' projects do.
class VerIntegridadeTest : public testing::ProjectoFixture {
  protected:
    VerIntegridadeTest()
        : ProjectoFixture(std::string(60, 'p') + "/Projecto de Demonstração com um nome longo") {}

    template <class T>
    T* controlo(ver_integridade& j, const char* nome) {
        T* c = j.findChild<T*>(QString::fromLatin1(nome));
        EXPECT_NE(c, nullptr) << nome;
        return c;
    }
    QString separador(ver_integridade& j) {
        auto* tabs = controlo<QTabWidget>(j, "SSTab1");
        return tabs->tabText(tabs->currentIndex());
    }
    void estrutura_diferente() {
        engine::Database estr = testproject::abre_estrutura(p.principal);
        testproject::apaga_indice(estr, "corporacoes",
                                  estr.TableDef("corporacoes").Indexes()[std::size_t{1}].Name());
    }
};

TEST_F(VerIntegridadeTest, AFullRunWithoutDifferencesEndsOnRegistoWithTheFocusOnCancelar) {
    ver_integridade j(projecto);
    j.carrega_projecto();
    j.show();
    EXPECT_EQ(j.windowTitle(), "Verificação de Integridade");
    EXPECT_EQ(separador(j), "Estado");
    EXPECT_EQ(j.estado().tot_bds, 3);
    EXPECT_GT(j.estado().tot_geral, 1);
    EXPECT_FALSE(j.verificacao_sem_erros());  // no run yet

    // The focus starts on "Verificar": Space runs it.
    ASSERT_EQ(j.focusWidget(), controlo<QPushButton>(j, "Command1"));
    QTest::keyClick(j.focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(j.verificacao_sem_erros());
    EXPECT_EQ(separador(j), "Registo");
    EXPECT_TRUE(controlo<QPlainTextEdit>(j, "Text2")->toPlainText().isEmpty());
    EXPECT_TRUE(controlo<QPlainTextEdit>(j, "Text1")->toPlainText().endsWith("Concluido."));
    EXPECT_EQ(controlo<QLabel>(j, "Label5(0)")->text(), "(0/3)");
    EXPECT_TRUE(controlo<QPushButton>(j, "Command1")->isEnabled());
    // The button that ends the window has the focus and answers Enter.
    ASSERT_EQ(j.focusWidget(), controlo<QPushButton>(j, "Command2"));
    QTest::keyClick(j.focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(j.isVisible());
}

TEST_F(VerIntegridadeTest, DifferencesEndOnErrosAndTheLongPathIsElidedWithATooltip) {
    estrutura_diferente();
    ver_integridade j(projecto);
    j.carrega_projecto();
    j.show();
    controlo<QPushButton>(j, "Command1")->click();
    EXPECT_EQ(separador(j), "Erros");
    EXPECT_FALSE(j.verificacao_sem_erros());
    const QString erros = controlo<QPlainTextEdit>(j, "Text2")->toPlainText();
    EXPECT_TRUE(erros.startsWith("O índice " + QString::fromStdString(caminho("brasol.mdb")) +
                                 "!corporacoes!"))
        << erros.toStdString();

    controlo<QTabWidget>(j, "SSTab1")->setCurrentIndex(0);
    auto* base = controlo<RotuloElidido>(j, "Label4(0)");
    EXPECT_EQ(base->textoCompleto().toStdString(), caminho("log.mdb"));
    EXPECT_TRUE(base->elidido());
    EXPECT_TRUE(base->text().endsWith("log.mdb")) << base->text().toStdString();
    EXPECT_EQ(base->toolTip(), base->textoCompleto());
}

TEST_F(VerIntegridadeTest, CancelarDuringAFullRunStopsItAndLeavesTheWindowOpen) {
    ver_integridade j(projecto);
    j.carrega_projecto();
    j.show();
    QTest::qWait(150);  // so that the run's first step refreshes the display and lets the click in
    QTimer::singleShot(0, controlo<QPushButton>(j, "Command2"), &QPushButton::click);
    controlo<QPushButton>(j, "Command1")->click();
    EXPECT_TRUE(j.isVisible());
    EXPECT_FALSE(j.verificacao_sem_erros());
    ASSERT_EQ(j.relatorio().registo().size(), 2u);  // the first row, then the end
    EXPECT_EQ(j.relatorio().registo().back(), "Concluido.");
    EXPECT_EQ(j.estado().n_geral, 0);
}

TEST_F(VerIntegridadeTest, WithoutARegisterVerificarIsDisabledAndCancelarCloses) {
    for (const char* sql : {"delete * from BUPS", "drop table BUPS"}) {
        SCOPED_TRACE(sql);
        principal().Execute(sql);
        ver_integridade j(projecto);
        j.carrega_projecto();
        j.show();
        EXPECT_FALSE(controlo<QPushButton>(j, "Command1")->isEnabled());
        EXPECT_EQ(j.focusWidget(), controlo<QPushButton>(j, "Command2"));
        EXPECT_EQ(separador(j), "Erros");
        EXPECT_EQ(controlo<RotuloElidido>(j, "Label4(0)")->textoCompleto(),
                  "Não existem Bases de Dados");
        EXPECT_EQ(controlo<QPlainTextEdit>(j, "Text2")->toPlainText(),
                  "Não foi encontrada a tabela BUPS na base de dados principal.");
        EXPECT_EQ(controlo<QLabel>(j, "Label5(0)")->text(), "(0/0)") << "no count pass";
        controlo<QPushButton>(j, "Command2")->click();
        EXPECT_FALSE(j.isVisible());
    }
}

// A file the count pass cannot open is told by the row's structure name,
// whichever of the two it was, and the next row is counted.
TEST_F(VerIntegridadeTest, TheCountPassTellsAFileItCannotOpenByItsStructureName) {
    std::filesystem::remove(caminho("log.mdb"));
    ver_integridade j(projecto);
    j.carrega_projecto();
    j.show();
    EXPECT_EQ(separador(j), "Registo");
    const QStringList erros = controlo<QPlainTextEdit>(j, "Text2")->toPlainText().split('\n');
    ASSERT_EQ(erros.size(), 1) << erros.join('|').toStdString();
    EXPECT_TRUE(erros[0].startsWith("O ficheiro ")) << erros[0].toStdString();
    EXPECT_TRUE(erros[0].endsWith(" não foi encontrado. Configure os parâmetros de Backups"))
        << erros[0].toStdString();
    EXPECT_FALSE(erros[0].contains("log.mdb")) << "the structure's name, not the database's";
    EXPECT_EQ(j.estado().tot_bds, 3);
}

TEST_F(VerIntegridadeTest, TheCompactFormRunsOnItsFirstActivationOnly) {
    ver_integridade j(projecto);
    j.forma_compacta();
    j.carrega_projecto();
    j.show();  // its own activation comes from the event loop, after ours
    EXPECT_EQ(j.height(), 1905 / 15);
    EXPECT_TRUE(controlo<QWidget>(j, "Frame2")->isVisibleTo(&j));
    EXPECT_EQ(controlo<QLabel>(j, "Label8")->text(), "A VERIFICAR AS BASES DE DADOS");
    j.activa();
    EXPECT_FALSE(j.ha_diferencas());
    ASSERT_FALSE(j.relatorio().registo().empty());

    // A message box closing over the window activates it again: no second run.
    estrutura_diferente();
    j.activa();
    EXPECT_FALSE(j.ha_diferencas());
    EXPECT_TRUE(j.relatorio().sem_erros());
}

TEST_F(VerIntegridadeTest, TheCompactFormTellsDifferencesAndAnEmptyRegister) {
    estrutura_diferente();
    {
        ver_integridade j(projecto);
        j.forma_compacta();
        j.carrega_projecto();
        j.activa();
        EXPECT_TRUE(j.ha_diferencas());
    }
    principal().Execute("delete * from BUPS");
    ver_integridade j(projecto);
    j.forma_compacta();
    j.carrega_projecto();
    j.activa();
    EXPECT_TRUE(j.ha_diferencas());
    EXPECT_EQ(j.relatorio().erros().size(), 1u);
    EXPECT_EQ(j.relatorio().erros()[0].rfind("3021 - ", 0), 0u);
}

TEST_F(VerIntegridadeTest, TabMovesThroughTheWindowAndTheLogsNeverKeepIt) {
    ver_integridade j(projecto);
    j.carrega_projecto();
    j.show();
    QApplication::setActiveWindow(&j);
    controlo<QTabWidget>(j, "SSTab1")->setCurrentIndex(1);
    auto* log = controlo<QPlainTextEdit>(j, "Text1");
    log->setFocus();
    QTest::keyClick(log, Qt::Key_Tab);
    EXPECT_FALSE(log->hasFocus());
    EXPECT_EQ(log->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

}  // namespace
}  // namespace pezolva
