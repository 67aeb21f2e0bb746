// The backup window's register editing, driven through its control names
// on a real test project.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "engine/error.h"
#include "janela_fixture.h"

namespace pezolva {
namespace {

using testing::JanelaCopiasTest;

const std::string kFotos = "brasol_fotos.mdb";
const std::string kLog = "log.mdb";

TEST_F(JanelaCopiasTest, LoadingListsTheRegisterAndTicksExactlyTheDueRows) {
    // Now is 2005-05-19 14:07:00: a day is due after exactly 86400 seconds.
    regista("brasol.mdb",
            "BUP_N_DIAS_INTERVALO=1, BUP_ULT_DATA='2005-05-18', BUP_ULT_HORA='14:07:00'");
    regista(kFotos, "BUP_N_DIAS_INTERVALO=1, BUP_ULT_DATA='2005-05-18', BUP_ULT_HORA='14:07:01'");
    regista(kLog, "BUP_N_DIAS_INTERVALO=7");  // never copied: counted from 2000
    auto janela = abre_janela();
    EXPECT_EQ(janela->objectName(), "conf_copias");
    EXPECT_EQ(janela->windowTitle(), "Cópias de Segurança");
    EXPECT_EQ(janela->size(), QSize(733, 434));

    auto* lista = controlo<QTreeWidget>(*janela, "ListView1");
    ASSERT_EQ(lista->topLevelItemCount(), 3);
    EXPECT_EQ(lista->headerItem()->text(0), "Nome BD");
    EXPECT_EQ(lista->headerItem()->text(1), "Destino Cópia");
    EXPECT_EQ(lista->headerItem()->text(2), "Últ. Data");
    // Widths from twips; names and dates never cut.
    EXPECT_GE(lista->columnWidth(0), 106);  // 1590 twips
    EXPECT_GT(lista->columnWidth(0), lista->fontMetrics().horizontalAdvance("brasol_fotos.mdb"));
    EXPECT_EQ(lista->columnWidth(1), 155);  // 2325 twips
    QTreeWidgetItem* principal = lista->topLevelItem(0);
    EXPECT_EQ(principal->text(0), "brasol.mdb");
    EXPECT_EQ(principal->text(1).toStdString(), pasta_copias());
    EXPECT_EQ(principal->text(2), "18-05-2005 14:07:00");
    EXPECT_EQ(lista->topLevelItem(2)->text(2), "");
    EXPECT_EQ(marcadas(*janela), (std::vector<std::string>{"brasol.mdb", kLog}));

    // An interval of 0 or none is never due.
    regista("brasol.mdb", "BUP_N_DIAS_INTERVALO=0");
    regista(kLog, "BUP_N_DIAS_INTERVALO=Null");
    regista(kFotos, "BUP_ULT_HORA='14:07:00'");
    EXPECT_EQ(marcadas(*abre_janela()), std::vector<std::string>{kFotos});
}

TEST_F(JanelaCopiasTest, WindowShowsOnlyItsConfigurationTabWithTheWorkstationFlag) {
    projecto.faz_copias = false;
    auto janela = abre_janela();
    auto* tabs = controlo<QTabWidget>(*janela, "SSTab1");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Configuração");
    EXPECT_EQ(tabs->tabText(3), "Erros");
    EXPECT_EQ(tabs->currentIndex(), 0);
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(tabs->isTabVisible(i)) << i;
    EXPECT_FALSE(controlo<QCheckBox>(*janela, "CheckBox1")->isChecked());
    EXPECT_FALSE(controlo<QWidget>(*janela, "Frame4")->isVisibleTo(janela.get()));
    EXPECT_TRUE(controlo<QPushButton>(*janela, "Command1")->isEnabled());
}

// No key reaches a hidden tab: the arrows, Ctrl+Tab and End on the tab bar
// leave "Configuração" current; a tab the window shows is reached.
TEST_F(JanelaCopiasTest, HiddenTabsAreOutOfReachOfEveryKey) {
    auto janela = abre_janela();
    janela->show();
    auto* tabs = controlo<QTabWidget>(*janela, "SSTab1");
    QTabBar* barra = tabs->tabBar();
    barra->setFocus();
    for (const auto& [tecla, modos] : std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
             {Qt::Key_Right, Qt::NoModifier},
             {Qt::Key_Left, Qt::NoModifier},
             {Qt::Key_End, Qt::NoModifier},
             {Qt::Key_Tab, Qt::ControlModifier},
             {Qt::Key_PageDown, Qt::ControlModifier}}) {
        QTest::keyClick(barra, tecla, modos);
        EXPECT_EQ(tabs->currentIndex(), 0) << tecla;
        QTest::keyClick(tabs, tecla, modos);
        EXPECT_EQ(tabs->currentIndex(), 0) << tecla;
    }
    tabs->setTabVisible(3, true);
    QTest::keyClick(barra, Qt::Key_Right);
    EXPECT_EQ(tabs->currentIndex(), 3);
    QTest::keyClick(barra, Qt::Key_Left);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(JanelaCopiasTest, AMissingOrEmptyRegisterLeavesNothingToCopy) {
    for (const char* sql : {"delete from BUPS", "drop table BUPS"}) {
        principal().Execute(sql);
        auto janela = abre_janela();
        EXPECT_FALSE(controlo<QPushButton>(*janela, "Command1")->isEnabled()) << sql;
        auto* tabs = controlo<QTabWidget>(*janela, "SSTab1");
        EXPECT_TRUE(tabs->isTabVisible(2));
        EXPECT_EQ(tabs->currentIndex(), 2);
        EXPECT_EQ(controlo<QLabel>(*janela, "Label4(0)")->text(), "Não existem Bases de Dados");
        EXPECT_EQ(janela->logs_execucao().erros(),
                  "Não foi encontrada a tabela BUPS na base de dados principal.");
        EXPECT_EQ(controlo<QPlainTextEdit>(*janela, "Text1")->toPlainText(),
                  "Não foi encontrada a tabela BUPS na base de dados principal.");
        EXPECT_EQ(controlo<QTreeWidget>(*janela, "ListView1")->topLevelItemCount(), 0);
    }
}

TEST_F(JanelaCopiasTest, AMainDatabaseThatDoesNotOpenIsThrownToTheCaller) {
    projecto.passwd = "errada";
    conf_copias janela(t.services, projecto);
    EXPECT_THROW(janela.carrega_projecto(), engine::EngineError);
}

TEST_F(JanelaCopiasTest, FieldsShowTheRowChosenInTheList) {
    regista(kLog,
            "BUP_ULT_TAMANHO=1234567, BUP_ULT_DATA='2005-05-02', BUP_ULT_HORA='09:30:00', "
            "BUP_ULT_COMPACTAR=1, BUP_ULT_APARECE_AVISO=0");
    auto janela = abre_janela();
    mostra(*janela);
    EXPECT_EQ(campo(*janela, 0)->text(), "brasol.mdb");
    EXPECT_EQ(campo(*janela, 1)->text(), "estr_b.ebd");
    EXPECT_EQ(campo(*janela, 3)->text(), "5");
    EXPECT_EQ(campo(*janela, 5)->text(), "30");
    EXPECT_FALSE(campo(*janela, 5)->isReadOnly());
    EXPECT_TRUE(campo(*janela, 6)->isReadOnly());
    EXPECT_EQ(campo(*janela, 4)->toolTip(),
              "Intervalo de dias em que é aconselhável fazer cópias de segurança");
    EXPECT_TRUE(controlo<QCheckBox>(*janela, "Check1(1)")->isChecked());

    escolhe_linha(*janela, 2);
    EXPECT_EQ(campo(*janela, 0)->text(), "log.mdb");
    EXPECT_EQ(campo(*janela, 6)->text(), "02-05-2005");
    EXPECT_EQ(campo(*janela, 7)->text(), "09:30:00");
    EXPECT_EQ(campo(*janela, 10)->text(), "1.234.567");
    EXPECT_FALSE(campo(*janela, 10)->isModified());
    EXPECT_TRUE(campo(*janela, 5)->isReadOnly());
    EXPECT_TRUE(controlo<QCheckBox>(*janela, "Check1(0)")->isChecked());
    EXPECT_FALSE(controlo<QCheckBox>(*janela, "Check1(1)")->isChecked());
}

TEST_F(JanelaCopiasTest, ARefusedValueIsExplainedAndTheStoredOneComesBack) {
    auto janela = abre_janela();
    mostra(*janela);
    escreve(*janela, 3, "abc");
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, "Valor inválido.");
    EXPECT_EQ(t.dialogs.shown()[0].title, "Erro");
    EXPECT_EQ(campo(*janela, 3)->text(), "5");
    EXPECT_EQ(QApplication::focusWidget(), campo(*janela, 3));
    EXPECT_EQ(coluna("brasol.mdb", "BUP_N_COPIAS_A_MANTER"), Value(5));

    // Beyond the column's 32 bits: refused, not wrapped round.
    t.dialogs.clear();
    escreve(*janela, 5, "99999999999");
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, "Valor inválido.");
    EXPECT_EQ(coluna(kLog, "n_integridades_bd"), Value(30));
}

TEST_F(JanelaCopiasTest, EmptiedMandatoryFieldsGetTheirValueBack) {
    auto janela = abre_janela();
    mostra(*janela);
    // The name too: it is the register's key.
    for (int indice : {0, 2, 4}) {
        t.dialogs.clear();
        const QString antes = campo(*janela, indice)->text();
        escreve(*janela, indice, "");
        ASSERT_EQ(t.dialogs.shown().size(), 1u) << indice;
        EXPECT_EQ(t.dialogs.shown()[0].text, "Tem de introduzir um valor.");
        EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
        EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
        EXPECT_EQ(campo(*janela, indice)->text(), antes);
    }
    EXPECT_EQ(coluna("brasol.mdb", "BUP_N_DIAS_INTERVALO"), Value(1));
    EXPECT_EQ(principal().OpenRecordset("BUPS").RecordCount(), 3);
}

TEST_F(JanelaCopiasTest, AcceptedEditsAreSavedAndTheDueRowsTickedAgain) {
    regista(kLog, "BUP_ULT_DATA='2005-05-15'");
    auto janela = abre_janela();
    mostra(*janela);
    EXPECT_EQ(marcadas(*janela), (std::vector<std::string>{"brasol.mdb", kFotos}));
    escolhe_linha(*janela, 2);
    escreve(*janela, 4, "3");
    EXPECT_TRUE(t.dialogs.shown().empty());
    EXPECT_EQ(coluna(kLog, "BUP_N_DIAS_INTERVALO"), Value(3));
    EXPECT_EQ(marcadas(*janela), (std::vector<std::string>{"brasol.mdb", kFotos, kLog}));
    // Read the Portuguese way: a decimal comma, rounded for a whole number.
    escreve(*janela, 3, "2,4");
    EXPECT_EQ(coluna(kLog, "BUP_N_COPIAS_A_MANTER"), Value(2));
    EXPECT_EQ(campo(*janela, 3)->text(), "2");
}

TEST_F(JanelaCopiasTest, TheIntegrityFrequencyIsSetOnTheMainRowForEveryRow) {
    auto janela = abre_janela();
    mostra(*janela);
    escreve(*janela, 5, "10");
    for (const std::string& nome : {std::string("brasol.mdb"), kFotos, kLog}) {
        EXPECT_EQ(coluna(nome, "n_integridades_bd"), Value(10)) << nome;
    }
    escolhe_linha(*janela, 1);
    EXPECT_EQ(campo(*janela, 5)->text(), "10");
    EXPECT_TRUE(campo(*janela, 5)->isReadOnly());
    escreve(*janela, 5, "4");
    EXPECT_EQ(coluna(kFotos, "n_integridades_bd"), Value(10));

    // A register not yet given the column (a start from the launcher).
    principal().Execute("alter table BUPS drop column n_integridades_bd");
    auto sem_coluna = abre_janela();
    EXPECT_TRUE(campo(*sem_coluna, 5)->isReadOnly());
    EXPECT_EQ(campo(*sem_coluna, 5)->text(), "");
}

TEST_F(JanelaCopiasTest, ANameAnotherRowHasIsRefusedByTheRegister) {
    auto janela = abre_janela();
    mostra(*janela);
    escreve(*janela, 0, kLog);
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Erro");
    EXPECT_EQ(campo(*janela, 0)->text(), "brasol.mdb");
    // A new name is taken, and the list follows it.
    escreve(*janela, 0, "brasol_velho.mdb");
    EXPECT_EQ(controlo<QTreeWidget>(*janela, "ListView1")->topLevelItem(0)->text(0),
              "brasol_velho.mdb");
    EXPECT_EQ(coluna("brasol_velho.mdb", "BUP_N_COPIAS_A_MANTER"), Value(5));
}

TEST_F(JanelaCopiasTest, ChangingEveryDestinationAsksFirst) {
    auto janela = abre_janela();
    mostra(*janela);
    const std::string outra = t.dir.file("outra");
    escreve(*janela, 2, outra);
    auto* lista = controlo<QTreeWidget>(*janela, "ListView1");
    EXPECT_EQ(lista->topLevelItem(0)->text(1).toStdString(), outra);
    EXPECT_EQ(marcadas(*janela).size(), 3u) << "the due rows stay ticked";

    t.dialogs.queue_answer(Answer::No);
    clica(*janela, "Command4");
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    const Message& pergunta = t.dialogs.shown()[0];
    EXPECT_EQ(pergunta.text, "Vai alterar o caminho destino de todas as bases de dados para " +
                                 outra + ". Confirma?");
    EXPECT_EQ(pergunta.title, "atenção");
    EXPECT_EQ(pergunta.icon, Icon::Question);
    EXPECT_EQ(pergunta.buttons, Buttons::YesNo);
    EXPECT_EQ(pergunta.default_answer, Answer::No);
    EXPECT_EQ(coluna(kLog, "BUP_CAMINHO_DESTINO").to_text(), pasta_copias());

    t.dialogs.queue_answer(Answer::Yes);
    clica(*janela, "Command4");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lista->topLevelItem(i)->text(1).toStdString(), outra) << i;
    }
    EXPECT_EQ(coluna(kLog, "BUP_CAMINHO_DESTINO").to_text(), outra);
    EXPECT_EQ(campo(*janela, 0)->text(), "brasol.mdb");
}

TEST_F(JanelaCopiasTest, BrowseButtonsFillTheirFieldAndSaveIt) {
    auto janela = abre_janela();
    mostra(*janela);
    const std::string estrutura = t.dir.file("estruturas/nova.ebd");
    t.dialogs.queue_file(estrutura);
    clica(*janela, "Command3(0)");
    ASSERT_EQ(t.dialogs.file_requests().size(), 1u);
    const auto& pedido = t.dialogs.file_requests()[0];
    EXPECT_EQ(pedido.start_folder, projecto.caminho);
    ASSERT_EQ(pedido.filters.size(), 2u);
    EXPECT_EQ(pedido.filters[0].description, "Estrutura de Base de Dados (*.ebd)");
    EXPECT_EQ(pedido.filters[1].description, "Todos os ficheiros (*.*)");
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_NOME_ESTRUTURA").to_text(), estrutura);

    // A cancelled folder browser gives back its start: nothing changes.
    clica(*janela, "Command3(1)");
    ASSERT_EQ(t.dialogs.folder_requests().size(), 1u);
    EXPECT_EQ(t.dialogs.folder_requests()[0].start, pasta_copias());
    EXPECT_EQ(coluna("brasol.mdb", "BUP_CAMINHO_DESTINO").to_text(), pasta_copias());
    t.dialogs.queue_folder(t.dir.file("noutra"));
    clica(*janela, "Command3(1)");
    EXPECT_EQ(coluna("brasol.mdb", "BUP_CAMINHO_DESTINO").to_text(), t.dir.file("noutra"));
    EXPECT_TRUE(t.dialogs.shown().empty());
}

TEST_F(JanelaCopiasTest, TickBoxesAreSavedWhenClicked) {
    auto janela = abre_janela();
    mostra(*janela);
    clica(*janela, "Check1(0)");
    clica(*janela, "Check1(1)");
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_COMPACTAR"), Value(true));
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_APARECE_AVISO"), Value(false));

    clica(*janela, "CheckBox1");
    EXPECT_EQ(t.settings.get("ZOLVA", "proj", "faz_copias", ""), "False");
    EXPECT_FALSE(projecto.faz_copias);
    clica(*janela, "CheckBox1");
    EXPECT_EQ(t.settings.get("ZOLVA", "proj", "faz_copias", ""), "True");
    EXPECT_TRUE(projecto.faz_copias);
}

TEST_F(JanelaCopiasTest, EnterMovesToTheNextFieldAndClosesNothing) {
    auto janela = abre_janela();
    mostra(*janela);
    campo(*janela, 3)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(campo(*janela, 3)->selectedText(), "5") << "entering a field selects it";
    QTest::keyClick(campo(*janela, 3), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), campo(*janela, 4));
    QTest::keyClick(campo(*janela, 4), Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), campo(*janela, 5));
    EXPECT_TRUE(janela->isVisible());
}

TEST_F(JanelaCopiasTest, TabFollowsTheVisualOrderAndSkipsTheReadOnlyFields) {
    auto janela = abre_janela();
    mostra(*janela);
    campo(*janela, 0)->setFocus();
    QApplication::processEvents();
    std::vector<std::string> ordem;
    for (int i = 0; i < 14; ++i) {
        ordem.push_back(QApplication::focusWidget()->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(ordem, (std::vector<std::string>{"Text3(0)", "Text3(1)", "Command3(0)", "Text3(2)",
                                               "Command3(1)", "Text3(3)", "Text3(4)", "Text3(5)",
                                               "Check1(0)", "Check1(1)", "Command4", "CheckBox1",
                                               "Command1", "Command2"}));
    for (int estatistica = 6; estatistica <= 12; ++estatistica) {
        EXPECT_TRUE(campo(*janela, estatistica)->isReadOnly());
        EXPECT_FALSE(campo(*janela, estatistica)->focusPolicy() & Qt::TabFocus) << estatistica;
    }
}

// An edit being made: Escape gives it up and the window stays; closing the
// window saves it; Escape with no edit closes.
TEST_F(JanelaCopiasTest, EscapeGivesUpAnEditThatClosingTheWindowSaves) {
    auto janela = abre_janela();
    mostra(*janela);
    QLineEdit* intervalo = campo(*janela, 4);
    const auto escreve_9 = [&] {
        intervalo->setFocus();
        QApplication::processEvents();
        intervalo->selectAll();
        QTest::keyClicks(intervalo, "9");
    };
    escreve_9();
    QTest::keyClick(intervalo, Qt::Key_Escape);
    EXPECT_TRUE(janela->isVisible());
    EXPECT_EQ(intervalo->text(), "1");
    QTest::keyClick(intervalo, Qt::Key_Escape);
    EXPECT_FALSE(janela->isVisible());
    EXPECT_EQ(coluna("brasol.mdb", "BUP_N_DIAS_INTERVALO"), Value(1));

    mostra(*janela);
    escreve_9();
    janela->close();
    EXPECT_FALSE(janela->isVisible());
    EXPECT_EQ(coluna("brasol.mdb", "BUP_N_DIAS_INTERVALO"), Value(9));
}

TEST_F(JanelaCopiasTest, SpaceTicksTheCurrentRowWhicheverColumnWasClicked) {
    auto janela = abre_janela();
    mostra(*janela);
    auto* lista = controlo<QTreeWidget>(*janela, "ListView1");
    lista->setFocus();
    lista->setCurrentIndex(lista->model()->index(1, 1));
    const Qt::CheckState antes = lista->topLevelItem(1)->checkState(0);
    QTest::keyClick(lista, Qt::Key_Space);
    EXPECT_NE(lista->topLevelItem(1)->checkState(0), antes);
}

TEST_F(JanelaCopiasTest, LongPathsAndNamesKeepTheirEndsAndTheWindowItsWidth) {
    const std::string longa =
        projecto.caminho + "/" + std::string(60, 'p') + "/Cópias da Câmara Municipal";
    regista("log.mdb", "BUP_CAMINHO_DESTINO='" + longa + "'");
    const int largura = [&] {
        auto normal = abre_janela();
        mostra(*normal);
        return normal->width();
    }();
    regista("brasol_fotos.mdb", "BUP_NOME_BD='" + std::string(37, 'f') + ".mdb'");  // 41 characters
    auto janela = abre_janela();
    mostra(*janela);
    EXPECT_EQ(janela->width(), largura) << "a long name does not widen the window";
    auto* lista = controlo<QTreeWidget>(*janela, "ListView1");
    QTreeWidgetItem* log = lista->topLevelItem(2);
    EXPECT_EQ(log->toolTip(1).toStdString(), longa);
    EXPECT_EQ(lista->textElideMode(), Qt::ElideMiddle);
    janela->resize(janela->width() + 200, janela->height());
    QApplication::processEvents();
    const int destino = lista->columnWidth(1);
    auto* caminho_dest = controlo<QLineEdit>(*janela, "Text3(2)");
    const int campo = caminho_dest->width();
    janela->resize(janela->width() + 250, janela->height());
    QApplication::processEvents();
    // The width gained is shared by the list's destination and the fields.
    EXPECT_GE(lista->columnWidth(1), destino + 120) << "the destination column takes its share";
    EXPECT_GE(caminho_dest->width(), campo + 80) << "\"Caminho Dest.\" takes its share";
    EXPECT_EQ(controlo<QPlainTextEdit>(*janela, "Text2")->lineWrapMode(),
              QPlainTextEdit::WidgetWidth);
}

TEST_F(JanelaCopiasTest, SettingUpTheListAgainEmptiesBothLogs) {
    regista("brasol.mdb", "BUP_PASSWD='errada'");
    auto janela = abre_janela();
    mostra(*janela);
    marca_so(*janela, {"brasol.mdb"});
    clica(*janela, "Command1");
    ASSERT_NE(janela->logs_execucao().erros(), "");
    escolhe_linha(*janela, 0);
    escreve(*janela, 2, pasta_copias() + "/outra");
    EXPECT_EQ(janela->logs_execucao().erros(), "");
    EXPECT_EQ(janela->logs_execucao().mensagens(), "");
    EXPECT_EQ(controlo<QPlainTextEdit>(*janela, "Text2")->toPlainText(), "");
}

}  // namespace
}  // namespace pezolva
