// The backup run of the window, with real copies of a test project.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "common/text.h"
#include "janela_fixture.h"

namespace pezolva {
namespace {

using testing::JanelaCopiasTest;

const std::string kLog = "log.mdb";
const char* const kNadaSeleccionado =
    "Não está nenhuma base de dados seleccionada. Clique no quadrado do lado esquerdo do nome dos "
    "ficheiros a copiar.";

class ExecucaoTest : public JanelaCopiasTest {
  protected:
    bool compacta(conf_copias& janela) {
        return controlo<QWidget>(janela, "Frame4")->isVisibleTo(&janela) &&
               !controlo<QWidget>(janela, "SSTab1")->isVisibleTo(&janela) &&
               janela.size() == QSize(309, 190);
    }
    // Shows the compact window as the reminder's "Fazer" does and waits for
    // its run to end.
    void corre_compacta(conf_copias& janela) {
        janela.forma_compacta();
        mostra(janela);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return controlo<QPushButton>(janela, "Command5")->isEnabled() || !compacta(janela);
            },
            60000));
    }
};

TEST_F(ExecucaoTest, NothingTickedIsToldAndCopiesNothing) {
    auto janela = abre_janela();
    marca_so(*janela, {});
    clica(*janela, "Command1");
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, kNadaSeleccionado);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
    EXPECT_TRUE(controlo<QPushButton>(*janela, "Command1")->isEnabled());
    EXPECT_FALSE(compacta(*janela));
    EXPECT_TRUE(copias().empty());
    EXPECT_FALSE(janela->execucao_sem_erros());
}

TEST_F(ExecucaoTest, AllTickedCopiedEndsCompactWithConcluido) {
    auto janela = abre_janela();
    mostra(*janela);
    ASSERT_EQ(marcadas(*janela).size(), 3u);
    clica(*janela, "Command1");
    EXPECT_EQ(janela->logs_execucao().erros(), "");
    EXPECT_TRUE(compacta(*janela));
    EXPECT_EQ(controlo<QLabel>(*janela, "Label12")->text(), "concluido");
    EXPECT_EQ(QApplication::focusWidget(), controlo<QPushButton>(*janela, "Command5"))
        << "at the end, Enter closes the window";
    EXPECT_EQ(controlo<QLabel>(*janela, "Label11")->text(), "");
    EXPECT_EQ(controlo<QLabel>(*janela, "Label9")->text(), "A criar cópias de segurança ...");
    auto* barra = controlo<QProgressBar>(*janela, "ProgressBar3");
    EXPECT_EQ(barra->value(), barra->maximum());
    auto* concluir = controlo<QPushButton>(*janela, "Command5");
    EXPECT_EQ(concluir->text(), "Fechar");
    EXPECT_TRUE(concluir->isEnabled());
    EXPECT_EQ(copias(),
              (std::vector<std::string>{"brasol200505191407.mdb", "brasol_fotos200505191407.mdb",
                                        "log200505191407.mdb"}));
    EXPECT_TRUE(janela->execucao_sem_erros());
    // The list shows the new statistics; the ticks stay as the user left them.
    auto* lista = controlo<QTreeWidget>(*janela, "ListView1");
    EXPECT_EQ(lista->topLevelItem(0)->text(2), "19-05-2005 14:07:00");
    EXPECT_EQ(marcadas(*janela).size(), 3u);

    clica(*janela, "Command5");
    EXPECT_EQ(janela->result(), QDialog::Accepted);
    EXPECT_TRUE(janela->execucao_sem_erros());
}

TEST_F(ExecucaoTest, AFailedDatabaseDoesNotStopTheNextAndOpensTheErrors) {
    regista("brasol.mdb", "BUP_PASSWD='errada'");
    auto janela = abre_janela();
    mostra(*janela);
    marca_so(*janela, {"brasol.mdb", kLog});
    clica(*janela, "Command1");

    const std::string erros = janela->logs_execucao().erros();
    EXPECT_TRUE(istarts_with(
        erros, "Não foi possível abrir a base de dados " + projecto.base_principal() + ". "))
        << erros;
    EXPECT_EQ(erros.find('\n'), std::string::npos) << "one line: " << erros;
    EXPECT_EQ(copias(), std::vector<std::string>{"log200505191407.mdb"});

    EXPECT_FALSE(compacta(*janela));
    EXPECT_EQ(janela->size(), QSize(733, 434));
    auto* tabs = controlo<QTabWidget>(*janela, "SSTab1");
    EXPECT_EQ(tabs->currentIndex(), 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tabs->isTabVisible(i), i == 0 || i == 3) << i;
    auto* text2 = controlo<QPlainTextEdit>(*janela, "Text2");
    EXPECT_EQ(text2->toPlainText().toStdString(), erros);
    EXPECT_EQ(QApplication::focusWidget(), text2);
    EXPECT_TRUE(controlo<QPushButton>(*janela, "Command1")->isEnabled());
    EXPECT_FALSE(janela->execucao_sem_erros());

    // A second run that succeeds starts with an empty error log.
    regista("brasol.mdb", "BUP_PASSWD='" + projecto.passwd + "'");
    clica(*janela, "Command1");
    EXPECT_EQ(janela->logs_execucao().erros(), "");
    EXPECT_TRUE(janela->execucao_sem_erros());
}

TEST_F(ExecucaoTest, TheCompactFormRunsByItselfOnce) {
    regista("brasol.mdb", "BUP_ULT_DATA='2005-05-19'");  // copied today: not due
    auto janela = abre_janela();
    corre_compacta(*janela);
    EXPECT_TRUE(compacta(*janela));
    EXPECT_EQ(controlo<QLabel>(*janela, "Label12")->text(), "concluido");
    EXPECT_EQ(QApplication::focusWidget(), controlo<QPushButton>(*janela, "Command5"))
        << "at the end, Enter closes the window";
    EXPECT_EQ(copias(),
              (std::vector<std::string>{"brasol_fotos200505191407.mdb", "log200505191407.mdb"}));
    EXPECT_TRUE(janela->execucao_sem_erros());

    // Shown again a minute later, it does not copy again.
    t.clock.advance_seconds(60);
    janela->hide();
    janela->show();
    QTest::qWait(50);
    EXPECT_EQ(copias().size(), 2u);
}

TEST_F(ExecucaoTest, TheCompactFormWithNothingDueSaysSoAndCanBeClosed) {
    principal().Execute("update BUPS set BUP_N_DIAS_INTERVALO=0");
    auto janela = abre_janela();
    corre_compacta(*janela);
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, kNadaSeleccionado);
    EXPECT_TRUE(compacta(*janela));
    auto* concluir = controlo<QPushButton>(*janela, "Command5");
    EXPECT_TRUE(concluir->isEnabled());
    EXPECT_EQ(controlo<QLabel>(*janela, "Label9")->text(), "Nenhuma base de dados foi copiada.");
    EXPECT_EQ(controlo<QLabel>(*janela, "Label10")->text(), "");
    EXPECT_FALSE(janela->execucao_sem_erros());
    // Closed from the keyboard: the focus is on "Fechar", which answers Enter.
    EXPECT_EQ(concluir->text(), "Fechar");
    ASSERT_EQ(QApplication::focusWidget(), concluir);
    QTest::keyClick(concluir, Qt::Key_Return);
    EXPECT_FALSE(janela->isVisible());
}

TEST_F(ExecucaoTest, ATickedDatabaseGoneFromTheRegisterIsShownAsAnError) {
    auto janela = abre_janela();
    marca_so(*janela, {kLog});
    principal().Execute("delete from BUPS where BUP_NOME_BD='log.mdb'");
    clica(*janela, "Command1");
    EXPECT_EQ(janela->logs_execucao().erros(),
              "Erro interno. Não foi encontrado o registo de cópias de segurança da base de "
              "dados log.mdb.");
    EXPECT_FALSE(compacta(*janela));
    EXPECT_EQ(controlo<QTabWidget>(*janela, "SSTab1")->currentIndex(), 3);
    EXPECT_TRUE(controlo<QPushButton>(*janela, "Command1")->isEnabled());
    EXPECT_FALSE(janela->execucao_sem_erros());
}

// Dialogs that try to close the window while the run asks its question.
class FechaDuranteAPergunta : public ScriptedDialogs {
  public:
    Answer show(const Message& message) override {
        if (janela != nullptr) janela->close();
        return ScriptedDialogs::show(message);
    }
    QWidget* janela = nullptr;
};

TEST_F(ExecucaoTest, TheWindowStaysOpenUntilTheRunEnds) {
    FechaDuranteAPergunta dialogs;
    Services servicos{dialogs, t.clock, t.random, t.settings, t.files};
    const std::string nova = t.dir.file("nova");
    regista(kLog, "BUP_CAMINHO_DESTINO='" + nova + "'");  // the run asks to create it
    conf_copias janela(servicos, projecto);
    janela.carrega_projecto();
    mostra(janela);
    marca_so(janela, {kLog});
    dialogs.janela = &janela;
    clica(janela, "Command1");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(janela.isVisible());
    EXPECT_EQ(t.files.list_files(nova), std::vector<std::string>{"log200505191407.mdb"});
    clica(janela, "Command5");
    EXPECT_FALSE(janela.isVisible());
}

TEST_F(ExecucaoTest, TheFullFormEmptiesTheErrorLog) {
    regista(kLog, "BUP_N_COPIAS_A_MANTER=0");
    auto janela = abre_janela();
    marca_so(*janela, {kLog});
    clica(*janela, "Command1");
    EXPECT_FALSE(janela->logs_execucao().erros().empty());
    janela->forma_completa();
    EXPECT_EQ(janela->logs_execucao().erros(), "");
    EXPECT_EQ(controlo<QPlainTextEdit>(*janela, "Text2")->toPlainText(), "");
    EXPECT_FALSE(janela->logs_execucao().mensagens().empty());
    EXPECT_EQ(janela->size(), QSize(733, 434));
    EXPECT_FALSE(janela->execucao_sem_erros()) << "the run failed";
}

}  // namespace
}  // namespace pezolva
