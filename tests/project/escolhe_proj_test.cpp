#include "project/ui/escolhe_proj.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace pezolva {
namespace {

const std::vector<EntradaProjecto> kLista = {
    {"obras", "Obras Públicas", "brasol.mdb", "/dados/obras"},
    {"bombeiros", "Corporação", "quesim.mdb", "/dados/bomb"},
};

TEST(EscolheProj, ListsTheProjectsAndDescribesTheSelectedOne) {
    escolhe_proj janela(kLista);
    EXPECT_EQ(janela.windowTitle(), "Seleccionar Projecto");
    auto* list = janela.findChild<QListWidget*>("List1");
    auto* label = janela.findChild<QLabel*>("Label1");
    ASSERT_TRUE(list && label);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "obras - Obras Públicas");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(label->text(), "obras - Obras Públicas\n/dados/obras/brasol.mdb");
    list->setCurrentRow(1);
    EXPECT_EQ(label->text(), "bombeiros - Corporação\n/dados/bomb/quesim.mdb");
    EXPECT_EQ(janela.projecto_escolhido(), -1);
    EXPECT_EQ(descricao_projecto(kLista[0]), "obras - Obras Públicas\r\n/dados/obras/brasol.mdb");
}

TEST(EscolheProj, SelectGivesTheLineCancelAndCloseGiveMinusOne) {
    {
        escolhe_proj janela(kLista);
        janela.findChild<QListWidget*>("List1")->setCurrentRow(1);
        QTest::mouseClick(janela.findChild<QPushButton*>("Command1(0)"), Qt::LeftButton);
        EXPECT_EQ(janela.projecto_escolhido(), 1);
        EXPECT_EQ(janela.result(), QDialog::Accepted);
    }
    {
        escolhe_proj janela(kLista);
        QTest::mouseClick(janela.findChild<QPushButton*>("Command1(1)"), Qt::LeftButton);
        EXPECT_EQ(janela.projecto_escolhido(), -1);
    }
    {
        escolhe_proj janela(kLista);
        janela.show();
        janela.close();
        EXPECT_EQ(janela.projecto_escolhido(), -1);
    }
}

TEST(EscolheProj, ModalChoiceWithTheKeyboardFocusOnSelect) {
    QTimer::singleShot(0, [] {
        auto* janela = qobject_cast<escolhe_proj*>(QApplication::activeModalWidget());
        ASSERT_NE(janela, nullptr);
        EXPECT_EQ(janela->focusWidget(), janela->findChild<QPushButton*>("Command1(0)"));
        // A test that fails must not leave the modal window waiting for ever.
        QTimer::singleShot(5000, janela, &QDialog::reject);
        QTest::keyClick(janela->findChild<QListWidget*>("List1"), Qt::Key_Down);
        QTest::mouseClick(janela->findChild<QPushButton*>("Command1(0)"), Qt::LeftButton);
    });
    EXPECT_EQ(mostra_escolhe_proj(kLista), 1);
}

// As a user with the keyboard alone: the focus starts on "Seleccionar";
// down, then Enter, opens the second project.
TEST(EscolheProj, DownThenEnterChoosesTheNextProjectWhereverTheFocusIs) {
    QTimer::singleShot(0, [] {
        auto* janela = qobject_cast<escolhe_proj*>(QApplication::activeModalWidget());
        ASSERT_NE(janela, nullptr);
        QTimer::singleShot(5000, janela, &QDialog::reject);
        QTest::keyClick(janela->focusWidget(), Qt::Key_Down);
        EXPECT_EQ(janela->focusWidget(), janela->findChild<QPushButton*>("Command1(0)"));
        QTest::keyClick(janela->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(mostra_escolhe_proj(kLista), 1);
}

TEST(EscolheProj, EndHomeAndFirstLettersMoveThroughTheProjectsFromTheButtons) {
    const std::vector<EntradaProjecto> lista = {{"arquivo", "", "a.mdb", "/a"},
                                                {"bombeiros", "", "b.mdb", "/b"},
                                                {"obras", "", "o.mdb", "/o"}};
    escolhe_proj janela(lista);
    janela.show();
    auto* list = janela.findChild<QListWidget*>("List1");
    auto* cancelar = janela.findChild<QPushButton*>("Command1(1)");
    cancelar->setFocus();
    QTest::keyClick(cancelar, Qt::Key_End);
    EXPECT_EQ(list->currentRow(), 2);
    QTest::keyClick(cancelar, Qt::Key_Home);
    EXPECT_EQ(list->currentRow(), 0);
    QTest::keyClick(cancelar, Qt::Key_B);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(janela.focusWidget(), cancelar);
}

}  // namespace
}  // namespace pezolva
