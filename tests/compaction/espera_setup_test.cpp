#include "compaction/ui/espera_setup.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "compaction/reinstala_posto.h"
#include "support/fixtures.h"

namespace pezolva {
namespace {

using Relogio = std::chrono::steady_clock;

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

class ReinstalaPostoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(t.dir.file("setupposto"));
        // Without a display the wait follows the set-up's processes alone.
        if (const char* d = std::getenv("DISPLAY")) ecra_ = d;
        unsetenv("DISPLAY");
    }
    void TearDown() override {
        if (!ecra_.empty()) setenv("DISPLAY", ecra_.c_str(), 1);
    }
    void cria_setup(const std::string& corpo) {
        testing::write_file(t.dir.file("setupposto/setup"), "#!/bin/sh\n" + corpo + "\n");
        ::chmod(t.dir.file("setupposto/setup").c_str(), 0755);
    }

    testing::TestServices t;
    std::string ecra_;
};

TEST_F(ReinstalaPostoTest, AMissingSetupProgramIsReported) {
    bool esperou = false;
    EXPECT_FALSE(reinstala_posto(t.files, t.dialogs, t.dir.str(), [&](EsperaSetup&) { esperou = true; }));
    EXPECT_FALSE(esperou);
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text,
              "Não foi possível executar o ficheiro setup.\nVerifique se a pasta SETUP_POSTO existe, e se tem "
              "acesso de leitura.");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
}

// A set-up program that hands its work to a process of its own group and
// ends at once: the wait lasts until that process has ended too.
TEST_F(ReinstalaPostoTest, TheWaitEndsWhenTheSetupAndWhatItStartedHaveEnded) {
    cria_setup("pwd > \"$(dirname \"$0\")/pasta\"\n(sleep 2; touch \"$(dirname \"$0\")/fim\") &\nexit 0");
    const auto inicio = Relogio::now();
    EXPECT_TRUE(reinstala_posto(t.files, t.dialogs, t.dir.str(), espera_no_terminal));
    EXPECT_GE(Relogio::now() - inicio, std::chrono::milliseconds(1900));
    EXPECT_TRUE(std::filesystem::exists(t.dir.file("setupposto/fim")));
    EXPECT_EQ(testing::read_file(t.dir.file("setupposto/pasta")), t.dir.file("setupposto") + "\n");
}

}  // namespace
}  // namespace pezolva
