#include "compaction/reinstala_posto.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "support/fixtures.h"

namespace pezolva {
namespace {

using Relogio = std::chrono::steady_clock;

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
    EXPECT_FALSE(
        reinstala_posto(t.files, t.dialogs, t.dir.str(), [&](EsperaSetup&) { esperou = true; }));
    EXPECT_FALSE(esperou);
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text,
              "Não foi possível executar o ficheiro setup.\nVerifique se a pasta SETUP_POSTO "
              "existe, e se tem "
              "acesso de leitura.");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
}

// A set-up program that hands its work to a process of its own group and
// ends at once: the wait lasts until that process has ended too.
TEST_F(ReinstalaPostoTest, TheWaitEndsWhenTheSetupAndWhatItStartedHaveEnded) {
    cria_setup(
        "pwd > \"$(dirname \"$0\")/pasta\"\n(sleep 2; touch \"$(dirname \"$0\")/fim\") &\nexit 0");
    const auto inicio = Relogio::now();
    EXPECT_TRUE(reinstala_posto(t.files, t.dialogs, t.dir.str(), espera_no_terminal));
    EXPECT_GE(Relogio::now() - inicio, std::chrono::milliseconds(1900));
    EXPECT_TRUE(std::filesystem::exists(t.dir.file("setupposto/fim")));
    EXPECT_EQ(testing::read_file(t.dir.file("setupposto/pasta")), t.dir.file("setupposto") + "\n");
}

}  // namespace
}  // namespace pezolva
