// SQLite's work must not pay for vector state that another library of the
// host left in use (a QGuiApplication's start-up does): every statement
// steps with the upper halves of the AVX registers cleared.
#include <cpuid.h>
#include <gtest/gtest.h>

#include "engine/detail/sqlite.h"

namespace pezolva::engine::detail {
namespace {

constexpr unsigned long long kUpperHalvesInUse = 1ull << 2;  // XINUSE: the YMM upper state

// Whether the processor has AVX and tells which of its states are in use
// (XGETBV with ECX = 1).
bool can_tell_state_in_use() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __builtin_cpu_supports("avx") && __get_cpuid_count(0xD, 1, &a, &b, &c, &d) &&
           (a & (1u << 2)) != 0;
}

unsigned long long states_in_use() {
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (static_cast<unsigned long long>(high) << 32) | low;
}

// What such a library does: a 256-bit instruction and no VZEROUPPER after it
// (written as assembly, so that the compiler adds none either).
void leave_upper_halves_in_use() { __asm__ volatile("vpcmpeqb %%ymm1, %%ymm1, %%ymm1" ::: "xmm1"); }

TEST(VectorState, AStatementStepsWithTheUpperHalvesCleared) {
    if (!can_tell_state_in_use()) GTEST_SKIP() << "this processor cannot tell its AVX state";
    ConnectionPtr connection;
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
        connection.reset(raw);
    }
    Statement statement(connection.get(), "SELECT 1", ":memory:");

    leave_upper_halves_in_use();
    ASSERT_NE(states_in_use() & kUpperHalvesInUse, 0u)
        << "left in use, as such a library leaves it";
    EXPECT_TRUE(statement.step());
    EXPECT_EQ(states_in_use() & kUpperHalvesInUse, 0u);
}

}  // namespace
}  // namespace pezolva::engine::detail
