#include "compaction/ui/espera_setup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "compaction/reinstala_posto.h"

namespace pezolva {
namespace {

// The wait window in its re-install role, with a display whose set-up
// window appears on the second tick and is gone on the fourth.  Escape
// meanwhile does not end it.
TEST(EsperaSetupJanela, ClosesOnceTheSetupWindowHasComeAndGone) {
    int tiques = 0;
    EsperaSetup espera({[&]() -> std::optional<bool> {
                            ++tiques;
                            return tiques >= 2 && tiques < 4;
                        },
                        [] { return true; }});
    espera_setup janela;
    EXPECT_EQ(janela.Label1().text(), QStringLiteral("EM EXECUÇÃO"));
    EXPECT_EQ(janela.Label2().text(), QStringLiteral("Por favor, aguarde."));
    QTimer::singleShot(500, &janela, [&] {
        QTest::keyClick(&janela, Qt::Key_Escape);
        janela.close();
    });
    janela.espera_pelo_setup(espera);
    EXPECT_EQ(tiques, 4);
    EXPECT_TRUE(espera.visto());
    EXPECT_FALSE(janela.isVisible());
    EXPECT_EQ(janela.Timer1().interval(), 1000);
    EXPECT_FALSE(janela.Timer1().isActive());
}

TEST(EsperaSetupJanela, TheCompactionNoticeIsModalForTheWholeApplicationAndElidesALongName) {
    AvisoEsperaJanela aviso;
    const std::string longo(60, 'b');
    aviso.mostra("A COMPACTAR", longo + ".mdb");
    espera_setup* janela = aviso.janela();
    ASSERT_NE(janela, nullptr);
    EXPECT_TRUE(janela->isVisible());
    EXPECT_EQ(janela->windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(janela->Timer1().isActive());
    EXPECT_EQ(janela->Label1().text(), QStringLiteral("A COMPACTAR"));
    EXPECT_TRUE(janela->Label2().text().contains(QChar(0x2026)));
    EXPECT_EQ(janela->Label2().toolTip().toStdString(), longo + ".mdb");
    aviso.fecha();
    EXPECT_EQ(aviso.janela(), nullptr);
}

}  // namespace
}  // namespace pezolva
