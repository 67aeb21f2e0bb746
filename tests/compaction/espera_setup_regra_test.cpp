#include "compaction/espera_setup_regra.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

// The rule of the wait, with a display whose window comes and goes as the
// test says, and a process that ends when it says.
struct Cenario {
    std::optional<bool> janela = false;
    bool vivo = true;
    EsperaSetup espera{{[this] { return janela; }, [this] { return vivo; }}};
};

TEST(EsperaSetupRegra, EndsWhenTheWindowHasComeAndGone) {
    Cenario c;
    EXPECT_FALSE(c.espera.tique());
    c.janela = true;
    EXPECT_FALSE(c.espera.tique());
    EXPECT_TRUE(c.espera.visto());
    EXPECT_FALSE(c.espera.tique());
    c.janela = false;
    EXPECT_TRUE(c.espera.tique());
}

TEST(EsperaSetupRegra, EndsWhenTheSetupEndsWithoutAWindowOrWithoutADisplay) {
    for (const std::optional<bool> ecra : {std::optional<bool>(false), std::optional<bool>()}) {
        Cenario c;
        c.janela = ecra;
        EXPECT_FALSE(c.espera.tique());
        c.vivo = false;
        EXPECT_TRUE(c.espera.tique());
        EXPECT_FALSE(c.espera.visto());
    }
}

}  // namespace
}  // namespace pezolva
