#include "compaction/padrao_like.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

struct Caso {
    const char* texto;
    const char* padrao;
};

TEST(PadraoLike, Matches) {
    const Caso casos[] = {
        {"InstallShield_Win", "InstallShield_Win"},
        {"", "*"},
        {"qualquer coisa", "*"},
        {"InstallShield_Win", "Install*"},
        {"InstallShield_Win", "*_Win"},
        {"InstallShield_Win", "*Shield*"},
        {"abc", "a?c"},
        {"ação", "a?ão"},
        {"setup 2", "setup #"},
        {"b", "[abc]"},
        {"q", "[a-z]"},
        {"Q", "[!a-z]"},
        {"5", "[0-9]"},
        {"*", "[*]"},
        {"a?c", "a[?]c"},
        {"#1", "[#]#"},
        {"-", "[a-]"},
        {"x1y", "x#y*"},
        {"abcabc", "*abc"},
    };
    for (const Caso& c : casos) EXPECT_TRUE(corresponde_like(c.texto, c.padrao)) << c.texto << " / " << c.padrao;
}

TEST(PadraoLike, DoesNotMatch) {
    const Caso casos[] = {
        {"installshield_win", "InstallShield_Win"},  // letter case counts
        {"InstallShield_Win2", "InstallShield_Win"},
        {"", "?"},
        {"ab", "a?c"},
        {"x", "#"},
        {"d", "[abc]"},
        {"Q", "[a-z]"},
        {"q", "[!a-z]"},
        {"a", "[a"},  // a list never closed
        {"abc", "*b"},
        {"a", ""},
    };
    for (const Caso& c : casos) EXPECT_FALSE(corresponde_like(c.texto, c.padrao)) << c.texto << " / " << c.padrao;
}

}  // namespace
}  // namespace pezolva
