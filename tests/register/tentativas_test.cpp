#include "register/tentativas.h"

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"

namespace pezolva {
namespace {

engine::EngineError erro(int n) { return engine::EngineError(n, "falhou " + std::to_string(n)); }

TEST(Tentativas, RetriesAfterEachMessageUntilTheStepSucceeds) {
    ScriptedDialogs dialogs;
    Tentativas t(dialogs, "Atenção", Icon::Information, "Desisti.");
    int chamadas = 0;
    EXPECT_TRUE(t.executa([&] {
        if (++chamadas < 3) throw erro(chamadas);  // two different errors
    }));
    EXPECT_EQ(chamadas, 3);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "falhou 1");
    EXPECT_EQ(dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Information);
}

TEST(Tentativas, TheSameErrorThreeTimesInARowGivesUpAndSaysSo) {
    ScriptedDialogs dialogs;
    Tentativas t(dialogs, "zolva", Icon::None, "Desisti.");
    int chamadas = 0;
    EXPECT_FALSE(t.executa([&] {
        ++chamadas;
        throw erro(chamadas == 2 ? 7 : 9);  // 9, 7, 9, 9, 9
    }));
    EXPECT_EQ(chamadas, 5);
    ASSERT_EQ(dialogs.shown().size(), 5u);
    EXPECT_EQ(dialogs.shown()[3].text, "falhou 9");
    EXPECT_EQ(dialogs.shown()[4].text, "falhou 9\nDesisti.");
}

}  // namespace
}  // namespace pezolva
