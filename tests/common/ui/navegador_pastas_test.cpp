#include "common/ui/navegador_pastas.h"

#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <filesystem>

#include "support/temp_dir.h"

namespace pezolva {
namespace {

TEST(NavegadorPastas, TitleIsTheStartTheStatusLineFollowsTheSelectionAndAllIsPortuguese) {
    testing::TempDir dir;
    const std::string longa =
        dir.file("Câmara com um nome muito comprido para caber/e outra ainda mais comprida");
    std::filesystem::create_directories(longa);
    std::filesystem::create_directories(dir.file("b"));
    NavegadorPastas janela(QString::fromStdString(longa), QStringLiteral("Seleccione a pasta"));
    janela.resize(400, 300);
    janela.show();
    QApplication::processEvents();

    EXPECT_EQ(janela.windowTitle().toStdString(), longa);
    EXPECT_EQ(janela.pasta().toStdString(), longa);
    auto* estado = janela.findChild<QLabel*>(QStringLiteral("estado"));
    ASSERT_NE(estado, nullptr);
    EXPECT_EQ(estado->toolTip().toStdString(), longa);
    EXPECT_TRUE(estado->text().contains(QStringLiteral("comprida")))
        << "the end of the path stays in sight";
    EXPECT_LE(estado->fontMetrics().horizontalAdvance(estado->text()), estado->width());

    auto* arvore = janela.findChild<QTreeView*>(QStringLiteral("pastas"));
    auto* modelo = arvore->model();
    // Once the folders have loaded, the starting one is in sight.
    QElapsedTimer espera;
    espera.start();
    while (espera.elapsed() < 5000 &&
           !arvore->viewport()->rect().contains(arvore->visualRect(arvore->currentIndex()))) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(arvore->viewport()->rect().contains(arvore->visualRect(arvore->currentIndex())))
        << arvore->visualRect(arvore->currentIndex()).y() << " in " << arvore->viewport()->height();
    auto* colunas = qobject_cast<QAbstractProxyModel*>(modelo);
    ASSERT_NE(colunas, nullptr);
    auto* ficheiros = qobject_cast<QFileSystemModel*>(colunas->sourceModel());
    ASSERT_NE(ficheiros, nullptr);
    arvore->setCurrentIndex(
        colunas->mapFromSource(ficheiros->index(QString::fromStdString(dir.file("b")))));
    EXPECT_EQ(estado->toolTip().toStdString(), dir.file("b"));
    EXPECT_EQ(janela.pasta().toStdString(), dir.file("b"));

    QStringList botoes;
    for (const QPushButton* b : janela.findChildren<QPushButton*>()) botoes << b->text();
    botoes.sort();
    EXPECT_EQ(botoes, (QStringList{QStringLiteral("Cancelar"), QStringLiteral("OK")}));
}

}  // namespace
}  // namespace pezolva
