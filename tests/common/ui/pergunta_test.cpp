#include "common/ui/pergunta.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/ui/qt_dialogs.h"

namespace pezolva {
namespace {

const Choice kCopias{"Cópias de Segurança",
                     "É aconselhável fazer cópias de segurança de alguns ficheiros.",
                     Icon::Question,
                     {"&Fazer", "&Não Fazer", "&Configurar"}};

TEST(Pergunta, ShowsTheCallersTextsAndAnswersWithTheButtonIndex) {
    for (int botao = 0; botao < 3; ++botao) {
        pergunta janela;
        janela.prepara(kCopias);
        EXPECT_EQ(janela.windowTitle(), "Cópias de Segurança");
        EXPECT_EQ(janela.findChild<QLabel*>("Label1")->text(),
                  "É aconselhável fazer cópias de segurança de alguns ficheiros.");
        EXPECT_FALSE(janela.findChild<QLabel*>("Image1")->pixmap().isNull());
        EXPECT_EQ(janela.findChild<QPushButton*>("Command1(1)")->text(), "&Não Fazer");
        EXPECT_EQ(janela.resposta(), -1);
        QTest::mouseClick(janela.findChild<QPushButton*>(QString("Command1(%1)").arg(botao)),
                          Qt::LeftButton);
        EXPECT_EQ(janela.resposta(), botao);
    }
}

TEST(Pergunta, CancelAndCloseAnswerMinusOne) {
    pergunta janela;
    janela.prepara(kCopias);
    QTest::mouseClick(janela.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_EQ(janela.resposta(), -1);
    janela.prepara(kCopias);
    janela.show();
    janela.close();
    EXPECT_EQ(janela.resposta(), -1);
}

TEST(Pergunta, QtDialogsShowItModallyWithTheFocusOnTheFirstButton) {
    QTimer::singleShot(0, [] {
        auto* janela = qobject_cast<pergunta*>(QApplication::activeModalWidget());
        ASSERT_NE(janela, nullptr);
        EXPECT_EQ(janela->focusWidget(), janela->findChild<QPushButton*>("Command1(0)"));
        // A test that fails must not leave the modal window waiting for ever.
        QTimer::singleShot(5000, janela, &QDialog::reject);
        QApplication::setActiveWindow(janela);
        QTest::keyClick(janela, Qt::Key_C, Qt::AltModifier);  // "&Configurar"
    });
    QtDialogs dialogs;
    EXPECT_EQ(dialogs.choose(kCopias), 2);
}

}  // namespace
}  // namespace pezolva
