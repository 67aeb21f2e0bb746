#include "register/vencimento.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

const DateTime kAgora{2005, 5, 19, 14, 7, 0};

TEST(CopiaDevida, OneDayIsDueExactlyAt86400Seconds) {
    const Value data(DateTime{2005, 5, 18, 0, 0, 0});
    EXPECT_TRUE(copia_devida(1, data, Value(DateTime{1899, 12, 30, 14, 7, 0}), kAgora));
    EXPECT_FALSE(copia_devida(1, data, Value(DateTime{1899, 12, 30, 14, 7, 1}), kAgora));
    // 30 hours ago with an interval of 1 day: due (the next calendar day is not waited for).
    EXPECT_TRUE(copia_devida(1, Value(DateTime{2005, 5, 18}),
                             Value(DateTime{1899, 12, 30, 8, 7, 0}), kAgora));
}

TEST(CopiaDevida, NeverCopiedCountsFromTheYear2000) {
    EXPECT_TRUE(copia_devida(7, Value(), Value(), kAgora));
    EXPECT_TRUE(copia_devida(Value("30"), Value(""), Value(""), kAgora));
    EXPECT_FALSE(copia_devida(10000, Value(), Value(), kAgora));
    EXPECT_EQ(momento_ultima_copia(Value(), Value()), (DateTime{2000, 1, 1}));
}

TEST(CopiaDevida, NoIntervalIsNeverDue) {
    for (const Value& n : {Value(), Value(0), Value(""), Value(-3), Value("nunca")}) {
        EXPECT_FALSE(copia_devida(n, Value(), Value(), kAgora)) << n.to_text();
    }
}

TEST(CopiaDevida, DatesStoredAsTextAreRead) {
    EXPECT_FALSE(copia_devida(2, Value("2005-05-18"), Value("14:07:00"), kAgora));
    EXPECT_TRUE(copia_devida(2, Value("2005-05-17"), Value("14:07:00"), kAgora));
}

}  // namespace
}  // namespace pezolva
