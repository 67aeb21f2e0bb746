#include "compaction/procura_janela.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

JanelaSistema janela(std::uint64_t id, std::string titulo, std::string classe,
                     std::vector<JanelaSistema> filhas = {}) {
    return {id, std::move(titulo), std::move(classe), std::move(filhas)};
}

TEST(ProcuraJanela, FindsTheWindowWhereverTheWindowManagerPutsIt) {
    // The set-up window inside a frame of the window manager, beside others.
    const std::vector<JanelaSistema> raiz = {janela(
        1, "", "",
        {janela(2, "Terminal", "XTerm"),
         janela(3, "", "Moldura",
                {janela(4, "Instalação", "InstallShield_Win", {janela(5, "Seguinte", "Button")})}),
         janela(6, "Outra", "InstallShield_Win")})};
    EXPECT_EQ(procura_janela(raiz, "*", "InstallShield_Win"), 4u);
    EXPECT_EQ(procura_janela(raiz, "Outra", "InstallShield_Win"), 6u);
    EXPECT_EQ(procura_janela(raiz, "*", "installshield_win"), std::nullopt);
    // A window's children are searched before the window itself.
    EXPECT_EQ(procura_janela(raiz, "*", "*"), 2u);
    EXPECT_EQ(procura_janela({}, "*", "*"), std::nullopt);
}

}  // namespace
}  // namespace pezolva
