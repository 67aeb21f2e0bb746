#include "common/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace pezolva {
namespace {

TEST(Value, NullAndEmptyTextFallBackToTheDefault) {
    EXPECT_EQ(nulo_para(Value(), 0), Value(0));
    EXPECT_EQ(nulo_para(Value(""), 7), Value(7));
    EXPECT_EQ(nulo_para(Value("x"), 7), Value("x"));
    EXPECT_EQ(nulo_para(Value(0), 7), Value(0));
}

TEST(Value, BooleansFromTextsAndNumbers) {
    EXPECT_EQ(Value("True").to_boolean(), true);
    EXPECT_EQ(Value("fAlSe").to_boolean(), false);
    EXPECT_EQ(Value("0").to_boolean(), false);
    EXPECT_EQ(Value("-1").to_boolean(), true);
    EXPECT_EQ(Value(2).to_boolean(), true);
    EXPECT_EQ(Value("talvez").to_boolean(), std::nullopt);
    EXPECT_EQ(Value().to_boolean(), std::nullopt);
}

TEST(Value, TextForms) {
    EXPECT_EQ(Value().to_text(), "");
    EXPECT_EQ(Value(true).to_text(), "True");
    EXPECT_EQ(Value(1.5).to_text(), "1.5");
    EXPECT_EQ(Value(std::int64_t{3000000000}).to_text(), "3000000000");
    EXPECT_EQ(Value(DateTime{2005, 5, 19, 0, 0, 0}).to_text(), "2005-05-19");
    EXPECT_EQ(Value("30").to_integer(), 30);
    EXPECT_EQ(Value("3 0").to_integer(), std::nullopt);
    EXPECT_EQ(Value("2005-05-19").to_date(), (DateTime{2005, 5, 19, 0, 0, 0}));
}

// Whole numbers: read exactly where they fit in 64 bits, a conversion
// error (nullopt) where they do not.
TEST(Value, WholeNumbersInAndOutOfRange) {
    const std::pair<Value, std::optional<std::int64_t>> casos[] = {
        {Value("9223372036854775807"), INT64_MAX},
        {Value("-9223372036854775808"), INT64_MIN},
        {Value("+12"), 12},
        {Value("12,5"), 12},
        {Value("-7.9"), -7},
        {Value(-7.9), -7},
        {Value("9223372036854775808"), std::nullopt},
        {Value("9999999999999999999999,5"), std::nullopt},
        {Value("-99999999999999999999.5"), std::nullopt},
        {Value(1e19), std::nullopt},
        {Value(-9.3e18), std::nullopt},
        {Value(std::nan("")), std::nullopt},
    };
    for (const auto& [valor, esperado] : casos) {
        EXPECT_EQ(valor.to_integer(), esperado) << valor.to_text();
    }
}

}  // namespace
}  // namespace pezolva
