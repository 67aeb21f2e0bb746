#include "importacao/data_jet.h"

#include <gtest/gtest.h>

namespace pezolva::importacao {
namespace {

// The stored double to the engine's text, across the whole range the
// original allows (year 100 to 9999), both sides of day 0.
TEST(DataJet, StoredDaysBecomeIsoTextExactToTheSecond) {
    EXPECT_EQ(data_jet_iso(0), "00:00:00");  // the zero date is a time, as the engine keeps it
    EXPECT_EQ(data_jet_iso(1.5), "1899-12-31 12:00:00");
    EXPECT_EQ(data_jet_iso(38491.5854166667), "2005-05-19 14:03:00");
    EXPECT_EQ(data_jet_iso(0.5), "12:00:00");  // a time alone
    // Before day 0 the whole part counts back and the fraction still runs forward.
    EXPECT_EQ(data_jet_iso(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(data_jet_iso(-383440.75), "0850-03-04 18:00:00");
    EXPECT_EQ(data_jet_iso(-657434), "0100-01-01");
    EXPECT_EQ(data_jet_iso(2958465), "9999-12-31");
    EXPECT_EQ(data_jet_iso(2958465 + 86399.0 / 86400), "9999-12-31 23:59:59");
    // A fraction that rounds to the next midnight is that day.
    EXPECT_EQ(data_jet_iso(1.9999999), "1900-01-01");
    EXPECT_EQ(data_jet_iso(-1.9999999), "00:00:00");
}

}  // namespace
}  // namespace pezolva::importacao
