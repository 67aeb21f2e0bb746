#include "backup/ui/progresso_janela.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace pezolva::backup {
namespace {

TEST(ProgressoJanela, TheBarNeverRefusesAValueAndHiddenMeansInvisible) {
    QWidget janela;
    auto* moldura = new QWidget(&janela);
    QLabel base, etapa;
    QProgressBar barra;
    ProgressoJanela progresso(*moldura, base, etapa, barra);
    progresso.barra(0, -1, 0);  // a database with no tables
    EXPECT_EQ(barra.maximum(), 0);
    EXPECT_EQ(barra.value(), 0);
    progresso.barra(0, 2, 5);
    EXPECT_EQ(barra.value(), 2);
    progresso.avanca();
    EXPECT_EQ(barra.value(), 2);
    progresso.mostra("brasol.mdb", "Compactar");
    EXPECT_EQ(base.text(), "brasol.mdb");
    EXPECT_EQ(etapa.text(), "Compactar");
    EXPECT_TRUE(progresso.visivel()) << "visible once its window is shown";
    moldura->hide();
    EXPECT_FALSE(progresso.visivel());
}

}  // namespace
}  // namespace pezolva::backup
