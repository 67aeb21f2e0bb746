#include "common/valida_valor.h"

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"

namespace pezolva {
namespace {

struct Case {
    const char* value;
    int type;
    int size;
    bool accepted;
    const char* message;  // shown when refused
    const char* title;
};

TEST(ValidaValor, ByColumnType) {
    const Case cases[] = {
        {"", 3, 0, true, "", ""},
        {"255", 2, 0, true, "", ""},
        {"256", 2, 0, false, "Valor inválido.", "Erro"},
        {"-1", 2, 0, false, "Valor inválido.", "Erro"},
        {"32766", 3, 0, true, "", ""},
        {"-32767", 3, 0, true, "", ""},
        {"32767", 3, 0, false, "Valor inválido.", "Erro"},
        {"-32768", 3, 0, false, "Valor inválido.", "Erro"},
        {"12,5", 3, 0, true, "", ""},
        {"abc", 4, 0, false, "Valor inválido.", "Erro"},
        {"1e5", 7, 0, false, "Valor inválido.", "Erro"},
        {"-3.25", 6, 0, true, "", ""},
        {"19/05/2005", 8, 0, true, "", ""},
        {"30/02/2005", 8, 0, false, "Data inválida.", "Erro"},
        {"abcde", 10, 5, true, "", ""},
        {"çãõáé", 10, 5, true, "", ""},
        {"abcdef", 10, 5, false, "O comprimento do campo excede o permitido.", "Erro"},
        {"qualquer", 1, 0, true, "", ""},
    };
    for (const Case& c : cases) {
        ScriptedDialogs dialogs;
        EXPECT_EQ(valida_valor(Value(c.value), c.type, c.size, dialogs), c.accepted)
            << c.value << " type " << c.type;
        if (c.accepted) {
            EXPECT_TRUE(dialogs.shown().empty()) << c.value;
        } else {
            ASSERT_EQ(dialogs.shown().size(), 1u) << c.value;
            EXPECT_EQ(dialogs.shown()[0].text, c.message);
            EXPECT_EQ(dialogs.shown()[0].title, c.title);
            EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
        }
    }
}

TEST(ValidaValor, ApostropheAndBarAreRefusedForEveryType) {
    for (int type : {2, 3, 4, 6, 7, 8, 10, 1}) {
        for (const char* value : {"o'brien", "a|b"}) {
            ScriptedDialogs dialogs;
            EXPECT_FALSE(valida_valor(Value(value), type, 50, dialogs)) << value << type;
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_EQ(dialogs.shown()[0].text,
                      "Valor inválido.\rNão pode conter o caracter ' (pelica) nem o caracter | "
                      "(barra vertical).");
            EXPECT_EQ(dialogs.shown()[0].title, "Atenção");
            EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
        }
    }
}

}  // namespace
}  // namespace pezolva
