#include "restore/ui/repor_copias_janela.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
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
    EXPECT_EQ(janela.findChild<QPushButton*>("remover")->text(), "Remover  Pasta");
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
    janela.findChild<QPushButton*>("actualizar")->click();
    EXPECT_FALSE(janela.a_procurar());
    EXPECT_FALSE(janela.isVisible());
    auto* barra = janela.findChild<QProgressBar*>("ProgressBar3");
    EXPECT_LT(barra->value(), barra->maximum()) << "stopped before the end";
}

}  // namespace
}  // namespace pezolva
