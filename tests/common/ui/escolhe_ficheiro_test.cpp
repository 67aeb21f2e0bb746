// Both choosers as a Portuguese user sees them, whatever the machine's
// language: every heading and every column of every row in Portuguese, and
// no heading cut at the dialog's own size.
#include "common/ui/escolhe_ficheiro.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "common/ui/navegador_pastas.h"
#include "support/temp_dir.h"

namespace pezolva {
namespace {

// Words a chooser speaking English would show: headings, kinds, units,
// months and the clock's halves that Portuguese does not share.
const QRegularExpression kIngles(QStringLiteral(
    R"(\b(Name|Size|Type|Date|Modified|Folder|Directory|Drive|File|Files|Unknown|Computer|Look|KiB|MiB|GiB|)"
    R"(Jan|Feb|Apr|May|Aug|Sep|Oct|Dec|AM|PM)\b)"));

class EscolheFicheiroTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.file("Câmara"));
        for (const char* nome : {"estr_b.ebd", "brasol.mdb"}) {
            std::ofstream(dir.file(nome)) << std::string(2500, 'x');
        }
    }
    // Waits (up to 5 s) until `vista` lists `n` rows under its root.
    static void espera_linhas(QTreeView& vista, int n) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && vista.model()->rowCount(vista.rootIndex()) < n)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_GE(vista.model()->rowCount(vista.rootIndex()), n);
    }
    // Every column of every row under `raiz`, and every heading.
    static QStringList textos(const QAbstractItemModel& m, const QModelIndex& raiz) {
        QStringList t;
        for (int c = 0; c < m.columnCount(raiz); ++c) {
            t << m.headerData(c, Qt::Horizontal).toString();
            for (int r = 0; r < m.rowCount(raiz); ++r) t << m.index(r, c, raiz).data().toString();
        }
        return t;
    }
    static void sem_ingles(const QStringList& textos) {
        for (const QString& t : textos)
            EXPECT_FALSE(kIngles.match(t).hasMatch()) << t.toStdString();
    }

    testing::TempDir dir;
};

TEST_F(EscolheFicheiroTest, TheFileChooserIsPortugueseInEveryColumnAndCutsNoHeading) {
    const auto janela =
        janela_escolhe_ficheiro(QString::fromStdString(dir.path()),
                                {QStringLiteral("Estrutura de Base de Dados (*.ebd)"),
                                 QStringLiteral("Todos os ficheiros (*.*)")},
                                nullptr);
    EXPECT_TRUE(janela->testOption(QFileDialog::DontUseNativeDialog));
    janela->selectNameFilter(QStringLiteral("Todos os ficheiros (*.*)"));
    janela->show();
    auto* vista = janela->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(vista, nullptr);
    espera_linhas(*vista, 3);
    QApplication::processEvents();

    const QStringList lidos = textos(*vista->model(), vista->rootIndex());
    sem_ingles(lidos);
    EXPECT_TRUE(lidos.contains(QStringLiteral("Pasta"))) << lidos.join('|').toStdString();
    EXPECT_TRUE(lidos.contains(QStringLiteral("Ficheiro ebd"))) << lidos.join('|').toStdString();
    EXPECT_TRUE(lidos.contains(QStringLiteral("2,5 KB"))) << lidos.join('|').toStdString();
    EXPECT_TRUE(lidos.contains(QStringLiteral("Data de alteração")));
    for (const QLabel* l : janela->findChildren<QLabel*>()) sem_ingles({l->text()});
    for (const QPushButton* b : janela->findChildren<QPushButton*>()) sem_ingles({b->text()});

    QHeaderView* cabecalho = vista->header();
    for (int c = 0; c < cabecalho->count(); ++c) {
        if (cabecalho->isSectionHidden(c)) continue;
        const QString texto = vista->model()->headerData(c, Qt::Horizontal).toString();
        SCOPED_TRACE(texto.toStdString());
        EXPECT_GE(cabecalho->sectionSize(c), cabecalho->fontMetrics().horizontalAdvance(texto) + 8);
        EXPECT_LE(cabecalho->sectionViewportPosition(c) + cabecalho->sectionSize(c),
                  cabecalho->viewport()->width());
    }
}

TEST_F(EscolheFicheiroTest, TheFolderBrowserOpensOnItsStartAndIsPortugueseInEveryColumn) {
    const std::string inicio = dir.file("Câmara");
    NavegadorPastas janela(QString::fromStdString(inicio), QStringLiteral("Seleccione a pasta"));
    janela.show();
    QApplication::processEvents();
    // Selected and in sight at once, before the rest of the tree has loaded.
    auto* arvore = janela.findChild<QTreeView*>(QStringLiteral("pastas"));
    ASSERT_NE(arvore, nullptr);
    EXPECT_EQ(janela.pasta().toStdString(), inicio);
    EXPECT_TRUE(arvore->selectionModel()->isSelected(arvore->currentIndex()) ||
                arvore->currentIndex().isValid());
    EXPECT_TRUE(arvore->viewport()->rect().intersects(arvore->visualRect(arvore->currentIndex())))
        << arvore->visualRect(arvore->currentIndex()).y() << " in " << arvore->viewport()->height();

    const QModelIndex pai = arvore->currentIndex().parent();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000 && arvore->model()->rowCount(pai) < 1)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    sem_ingles(textos(*arvore->model(), pai));
    sem_ingles(textos(*arvore->model(), arvore->rootIndex()));
    // The root itself, a "drive" in Qt's words.
    EXPECT_EQ(arvore->model()->index(0, 2, QModelIndex()).data().toString(),
              QStringLiteral("Unidade"));
}

}  // namespace
}  // namespace pezolva
