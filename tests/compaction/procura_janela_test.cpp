#include "compaction/procura_janela.h"

#include <gtest/gtest.h>

#include "compaction/espera_setup_regra.h"

namespace pezolva {
namespace {

JanelaSistema janela(std::uint64_t id, std::string titulo, std::string classe, std::vector<JanelaSistema> filhas = {}) {
    return {id, std::move(titulo), std::move(classe), std::move(filhas)};
}

TEST(ProcuraJanela, FindsTheWindowWhereverTheWindowManagerPutsIt) {
    // The set-up window inside a frame of the window manager, beside others.
    const std::vector<JanelaSistema> raiz = {janela(
        1, "", "",
        {janela(2, "Terminal", "XTerm"),
         janela(3, "", "Moldura", {janela(4, "Instalação", "InstallShield_Win", {janela(5, "Seguinte", "Button")})}),
         janela(6, "Outra", "InstallShield_Win")})};
    EXPECT_EQ(procura_janela(raiz, "*", "InstallShield_Win"), 4u);
    EXPECT_EQ(procura_janela(raiz, "Outra", "InstallShield_Win"), 6u);
    EXPECT_EQ(procura_janela(raiz, "*", "installshield_win"), std::nullopt);
    // A window's children are searched before the window itself.
    EXPECT_EQ(procura_janela(raiz, "*", "*"), 2u);
    EXPECT_EQ(procura_janela({}, "*", "*"), std::nullopt);
}

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
