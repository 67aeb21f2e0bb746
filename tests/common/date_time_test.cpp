#include "common/date_time.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

TEST(DateTime, SecondsRoundTripAcrossEpochAndLeapDays) {
    for (DateTime t : {DateTime{2000, 1, 1, 0, 0, 0}, DateTime{1899, 12, 30, 0, 0, 0},
                       DateTime{2024, 2, 29, 23, 59, 59}, DateTime{1969, 12, 31, 23, 59, 59}}) {
        EXPECT_EQ(DateTime::from_seconds(t.to_seconds()), t) << t.to_iso();
    }
    EXPECT_EQ(seconds_between({2005, 5, 19, 10, 0, 0}, {2005, 5, 20, 10, 0, 0}), 86400);
}

TEST(DateTime, MinuteBoundaries) {
    EXPECT_EQ(minute_boundaries_between({2005, 5, 19, 10, 0, 59}, {2005, 5, 19, 10, 1, 0}), 1);
    EXPECT_EQ(minute_boundaries_between({2005, 5, 19, 10, 0, 0}, {2005, 5, 19, 10, 0, 59}), 0);
    EXPECT_EQ(minute_boundaries_between({2005, 5, 19, 23, 59, 0}, {2005, 5, 20, 0, 1, 0}), 2);
}

TEST(DateTime, IsoTextKeepsDatesTimesAndMoments) {
    EXPECT_EQ((DateTime{2005, 5, 19, 14, 7, 0}).to_iso(), "2005-05-19 14:07:00");
    EXPECT_EQ((DateTime{2005, 5, 19, 0, 0, 0}).to_iso(), "2005-05-19");
    EXPECT_EQ((DateTime{1899, 12, 30, 14, 7, 0}).to_iso(), "14:07:00");
    EXPECT_EQ((DateTime{2005, 5, 19, 14, 7, 33}).stamp(), "200505191407");
    for (const char* text : {"2005-05-19 14:07:00", "2005-05-19", "14:07:00"}) {
        auto t = DateTime::parse_iso(text);
        ASSERT_TRUE(t) << text;
        EXPECT_EQ(t->to_iso(), text);
    }
    EXPECT_EQ(DateTime::parse_iso("2005-05-19T14:07:00")->to_iso(), "2005-05-19 14:07:00");
}

TEST(DateTime, RefusesImpossibleDates) {
    for (const char* bad : {"2005-02-30", "2005-13-01", "2005-05-19 24:00:00", "2005-05-19 10:60",
                            "19-05-2005x", "", "2005-5-19x"}) {
        EXPECT_FALSE(DateTime::parse_iso(bad)) << bad;
    }
    EXPECT_FALSE(DateTime::parse_iso("2100-02-29"));
    EXPECT_TRUE(DateTime::parse_iso("2000-02-29"));
}

TEST(DateTime, ReadsDatesAsUsersTypeThem) {
    EXPECT_EQ(DateTime::parse_user("19/05/2005")->to_iso(), "2005-05-19");
    EXPECT_EQ(DateTime::parse_user("19-05-2005 14:07")->to_iso(), "2005-05-19 14:07:00");
    EXPECT_EQ(DateTime::parse_user(" 2005-05-19 ")->to_iso(), "2005-05-19");
    EXPECT_FALSE(DateTime::parse_user("30/02/2005"));
    EXPECT_FALSE(DateTime::parse_user("amanhã"));
}

}  // namespace
}  // namespace pezolva
