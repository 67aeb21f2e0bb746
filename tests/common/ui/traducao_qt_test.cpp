#include "common/ui/traducao_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

namespace pezolva {
namespace {

// What a user meets of Qt's own in the component's windows, in Portuguese.
TEST(TraducaoQt, QtsOwnTextsInTheWindowsArePortuguese) {
    instala_traducao_qt();
    instala_traducao_qt();  // once is enough; twice changes nothing

    QDialogButtonBox botoes(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                            QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(botoes.button(QDialogButtonBox::Cancel)->text(), "Cancelar");
    EXPECT_EQ(botoes.button(QDialogButtonBox::Yes)->text(), "&Sim");
    EXPECT_EQ(botoes.button(QDialogButtonBox::No)->text(), "&Não");

    QFileDialog ficheiros(nullptr, QString(), QDir::tempPath());
    ficheiros.setOption(QFileDialog::DontUseNativeDialog);
    QStringList rotulos;
    for (const QLabel* l : ficheiros.findChildren<QLabel*>()) rotulos << l->text();
    EXPECT_TRUE(rotulos.contains("Procurar em:")) << rotulos.join(" | ").toStdString();
    EXPECT_TRUE(rotulos.contains("Ficheiros do tipo:")) << rotulos.join(" | ").toStdString();
    for (const QString& r : rotulos) {
        EXPECT_FALSE(r.contains("Look in") || r.contains("File name") ||
                     r.contains("Files of type"))
            << r.toStdString();
    }

    QLineEdit campo;
    std::unique_ptr<QMenu> menu(campo.createStandardContextMenu());
    QStringList accoes;
    for (const QAction* a : menu->actions()) {
        if (!a->isSeparator())
            accoes << a->text().section(QLatin1Char('\t'), 0, 0);  // without the shortcut
    }
    EXPECT_TRUE(accoes.contains("&Copiar")) << accoes.join(" | ").toStdString();
    EXPECT_FALSE(accoes.contains("&Copy"));
    EXPECT_STREQ(traducao_qt("QFileDialog", "not a Qt text"), "");
}

}  // namespace
}  // namespace pezolva
