#include "compaction/padrao_like.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

struct Caso {
    const char* texto;
    const char* padrao;
};

// What the window search asks: any title ("*") and the set-up's class
// name exactly, letter case included; and the other wildcards a caller may
// give, by the rules of a "like".
TEST(PadraoLike, Matches) {
    const Caso casos[] = {
        {"", "*"},
        {"Instalação do posto", "*"},
        {"InstallShield_Win", "InstallShield_Win"},
        {"InstallShield_Win", "Install*_Win"},
        {"abc", "a?c"},
        {"setup 2", "setup #"},
        {"b", "[abc]"},
        {"q", "[a-z]"},
        {"Q", "[!a-z]"},
        {"#1", "[#]#"},
        {"a\\b", "a\\b"},  // no escape character
    };
    for (const Caso& c : casos)
        EXPECT_TRUE(corresponde_like(c.texto, c.padrao)) << c.texto << " / " << c.padrao;
}

TEST(PadraoLike, DoesNotMatch) {
    const Caso casos[] = {
        {"installshield_win", "InstallShield_Win"},  // letter case counts
        {"InstallShield_Win2", "InstallShield_Win"},
        {"InstallShield", "InstallShield_Win"},
        {"", "?"},
        {"x", "#"},
        {"d", "[abc]"},
        {"q", "[!a-z]"},
        {"a", ""},
    };
    for (const Caso& c : casos)
        EXPECT_FALSE(corresponde_like(c.texto, c.padrao)) << c.texto << " / " << c.padrao;
}

}  // namespace
}  // namespace pezolva
