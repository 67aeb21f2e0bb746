#include "common/text.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

struct SplitCase {
    std::string text;
    std::string before;
    std::string after;
};

TEST(SeparaPrimeiro, SplitsAtTheFirstSeparator) {
    const SplitCase cases[] = {
        {"a;b;c", "a", "b;c"}, {"abc", "abc", ""}, {";a", "", "a"}, {"a;", "a", ""}, {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string before = "x", after = "y";
        separa_primeiro(c.text, ';', before, after);
        EXPECT_EQ(before, c.before) << c.text;
        EXPECT_EQ(after, c.after) << c.text;
    }
}

TEST(SeparaPrimeiro, ConsumesAListWhenTextAndRestAreTheSameVariable) {
    std::string list = "a;b;c", item;
    std::string seen;
    while (!list.empty()) {
        separa_primeiro(list, ';', item, list);
        seen += "[" + item + "]";
    }
    EXPECT_EQ(seen, "[a][b][c]");
}

TEST(SeparaUltimo, SplitsAtTheLastSeparator) {
    const SplitCase cases[] = {
        {"/dados/proj/brasol.mdb", "/dados/proj", "brasol.mdb"},
        {"brasol.mdb", "", "brasol.mdb"},
        {"pasta/", "pasta", ""},
    };
    for (const auto& c : cases) {
        std::string before = "x", after = "y";
        separa_ultimo(c.text, '/', after, before);
        EXPECT_EQ(before, c.before) << c.text;
        EXPECT_EQ(after, c.after) << c.text;
    }
}

TEST(TextoNumerico, AcceptsPlainDecimalNumbersOnly) {
    for (const char* ok : {"0", "12", "-12,5", "-12.5", "+3", "1.234,5", ".5", "5."}) {
        EXPECT_TRUE(texto_numerico(ok)) << ok;
    }
    for (const char* bad :
         {"", "-", "+", "1e5", " 12", "12 ", "12-", "€12", "1,2,3", ",", "a1", "0x1A", "--1"}) {
        EXPECT_FALSE(texto_numerico(bad)) << bad;
    }
}

TEST(LeadingNumber, ReadsWithAPointWhateverTheLocale) {
    EXPECT_EQ(leading_number("12.5abc"), 12.5);
    EXPECT_EQ(leading_number("1,5"), 1.0);
    EXPECT_EQ(leading_number("-32768"), -32768.0);
    EXPECT_EQ(leading_number("+7"), 7.0);
    EXPECT_EQ(leading_number("abc"), std::nullopt);
}

TEST(CaseBlindNames, FoldAsciiAndPortugueseAccents) {
    EXPECT_TRUE(iequals("BRASOL.MDB", "brasol.mdb"));
    EXPECT_TRUE(iequals("Configuração", "CONFIGURAÇÃO"));
    EXPECT_FALSE(iequals("brasol", "brasol2"));
    EXPECT_TRUE(istarts_with("MSysPezolva", "msys"));
    EXPECT_TRUE(iends_with("copia.MDB", ".mdb"));
    EXPECT_EQ(char_count("Últ. Data"), 9u);
}

// Names are cut by character: a cut inside a two-, three- or four-byte
// character would leave a name that is not UTF-8.
TEST(Utf8Offsets, CutsFallBetweenCharactersAndFewerCharactersGiveNothing) {
    const std::string nome = "açã€𝄞x";  // 1 + 2 + 2 + 3 + 4 + 1 bytes
    EXPECT_EQ(offset_after_chars(nome, 0), 0u);
    EXPECT_EQ(offset_after_chars(nome, 3), 5u);
    EXPECT_EQ(offset_after_chars(nome, 5), 12u);
    EXPECT_EQ(offset_after_chars(nome, 6), nome.size());
    EXPECT_EQ(offset_after_chars(nome, 7), std::nullopt);
    EXPECT_EQ(offset_of_last_chars(nome, 0), nome.size());
    EXPECT_EQ(offset_of_last_chars(nome, 2), 8u);
    EXPECT_EQ(offset_of_last_chars(nome, 4), 3u);
    EXPECT_EQ(offset_of_last_chars(nome, 6), 0u);
    EXPECT_EQ(offset_of_last_chars(nome, 7), std::nullopt);
    EXPECT_EQ(offset_of_last_chars("", 1), std::nullopt);
}

}  // namespace
}  // namespace pezolva
