#include "restore/ui/repor_copias_janela.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "backup/backup_fixture.h"

namespace pezolva {
namespace {

class ReporCopiasJanelaTest : public testing::BackupFixture {
  protected:
    ReporCopiasJanelaTest() {
        cria_copia_antiga("brasol200505191407.mdb");
        cria_copia_antiga("brasol200612312359.mdb");
        regista(testproject::kPrincipal,
                "BUP_ULT_DESTINO=" + engine::quote_literal(pasta_copias()));
    }
    void mostra() {
        janela.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    QStringList coluna(int n) {
        QStringList textos;
        for (int i = 0; i < janela.lista().topLevelItemCount(); ++i)
            textos << janela.lista().topLevelItem(i)->text(n);
        return textos;
    }
    void tecla(QWidget* w, int k) {
        QKeyEvent carrega(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &carrega);
    }

    repor_copias janela{services, projecto};
};

TEST_F(ReporCopiasJanelaTest, FirstShownItSearchesAndListsTheNewestFirstWithTheKeysHidden) {
    mostra();
    EXPECT_EQ(coluna(0), (QStringList{"brasol200612312359.mdb", "brasol200505191407.mdb"}));
    EXPECT_EQ(coluna(2), (QStringList{"31-12-2006 23:59", "19-05-2005 14:07"}));
    for (int oculta : {0, 3, 6}) EXPECT_TRUE(janela.lista().isColumnHidden(oculta)) << oculta;
    EXPECT_EQ(janela.lista().headerItem()->text(5), "Tam. (Kbytes)");
    // The folder buttons are the control array Command3.
    const char* textos[] = {"Adicionar Pasta", "Remover  Pasta", "Actualizar ficheiros"};
    for (int i = 0; i < 3; ++i) {
        auto* b = janela.findChild<QPushButton*>(QStringLiteral("Command3(%1)").arg(i));
        ASSERT_NE(b, nullptr) << i;
        EXPECT_EQ(b->text(), textos[i]);
    }
}

// Shown again (after a dialog over it, say), the window keeps its folders
// and its list: only the first showing prepares and searches.
TEST_F(ReporCopiasJanelaTest, ShownAgainItKeepsItsListAndSearchesNoMore) {
    mostra();
    auto* pastas = janela.findChild<QTreeWidget*>("List1");
    const int n_pastas = pastas->topLevelItemCount();
    cria_copia_antiga("brasol200701010000.mdb");
    janela.hide();
    mostra();
    EXPECT_EQ(coluna(0), (QStringList{"brasol200612312359.mdb", "brasol200505191407.mdb"}));
    EXPECT_EQ(pastas->topLevelItemCount(), n_pastas);
}

TEST_F(ReporCopiasJanelaTest, EnterMovesTheFocusAndEscapeDoesNotClose) {
    mostra();
    auto* pastas = janela.findChild<QTreeWidget*>("List1");
    pastas->setFocus();
    const int antes = pastas->topLevelItemCount();
    tecla(pastas, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), pastas);
    EXPECT_EQ(pastas->topLevelItemCount(), antes);
    tecla(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(janela.isVisible());
}

TEST_F(ReporCopiasJanelaTest, ClosingDuringASearchStopsItAtTheNextFolderThenCloses) {
    mostra();
    for (int i = 0; i < 200; ++i)
        janela.logica().junta_pasta(dir.file("pasta" + std::to_string(i)));
    // Pressed while the search yields to the window, as a user would.
    QTimer::singleShot(0, &janela, [&] {
        EXPECT_TRUE(janela.a_procurar());
        janela.reject();
        EXPECT_TRUE(janela.isVisible()) << "nothing is taken down under the search";
    });
    janela.findChild<QPushButton*>("Command3(2)")->click();
    EXPECT_FALSE(janela.a_procurar());
    EXPECT_FALSE(janela.isVisible());
    auto* barra = janela.findChild<QProgressBar*>("ProgressBar3");
    EXPECT_LT(barra->value(), barra->maximum()) << "stopped before the end";
}

// A search never takes the user's place: after a cancelled "Adicionar
// Pasta" (which adds the project folder back and searches) the chosen copy
// is still chosen and the focus is back on the button, not on "Repor".
TEST_F(ReporCopiasJanelaTest, ASearchKeepsTheChosenCopyAndTheFocus) {
    mostra();
    janela.activateWindow();
    ASSERT_EQ(janela.lista().topLevelItemCount(), 2);
    janela.lista().setCurrentItem(janela.lista().topLevelItem(1));
    auto* adicionar = janela.findChild<QPushButton*>("Command3(0)");
    for (int vez = 0; vez < 2; ++vez) {
        adicionar->setFocus();
        dialogs.queue_folder(std::nullopt);
        adicionar->click();
        EXPECT_EQ(QApplication::focusWidget(), adicionar) << vez;
        ASSERT_EQ(janela.lista().selectedItems().size(), 1) << vez;
        EXPECT_EQ(janela.lista().selectedItems()[0]->text(0), "brasol200505191407.mdb") << vez;
    }
    // Searched again from the list itself: the focus stays in the list.
    janela.lista().setFocus();
    janela.findChild<QPushButton*>("Command3(2)")->click();
    EXPECT_EQ(QApplication::focusWidget(), &janela.lista());
    EXPECT_EQ(janela.lista().selectedItems()[0]->text(0), "brasol200505191407.mdb");
}

// The headings are reached by Tab and sort without a mouse: the arrows move
// to the next visible column, Space turns the order round; the chosen copy
// stays chosen.
TEST_F(ReporCopiasJanelaTest, TheHeadingsSortFromTheKeyboard) {
    mostra();
    janela.activateWindow();
    janela.lista().setCurrentItem(janela.lista().topLevelItem(0));
    QWidget* cabecalho = janela.lista().header();
    janela.lista().setFocus();
    for (int i = 0; i < 20 && QApplication::focusWidget() != cabecalho; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), cabecalho);
    EXPECT_EQ(janela.logica().coluna_ordem(), 2);
    QTest::keyClick(cabecalho, Qt::Key_Right);
    EXPECT_EQ(janela.logica().coluna_ordem(), 4);  // "Data Formatada" is hidden
    QTest::keyClick(cabecalho, Qt::Key_Left);
    QTest::keyClick(cabecalho, Qt::Key_Left);
    EXPECT_EQ(janela.logica().coluna_ordem(), 1);
    const int sentido = janela.logica().sentido_ordem();
    QTest::keyClick(cabecalho, Qt::Key_Space);
    EXPECT_EQ(janela.logica().sentido_ordem(), 1 - sentido);
    QTest::keyClick(cabecalho, Qt::Key_Left);
    EXPECT_EQ(janela.logica().coluna_ordem(), 1) << "no visible column before BD";
    EXPECT_EQ(janela.lista().selectedItems()[0]->text(0), "brasol200612312359.mdb");
    EXPECT_TRUE(janela.isVisible());
}

}  // namespace
}  // namespace pezolva
