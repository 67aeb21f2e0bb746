#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pezolva {

// A local date and time, as the system stores and shows it: no time zone,
// no daylight-saving shift.  Arithmetic is on the civil calendar, so "the
// seconds from one moment to another" are what a wall clock would count.
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Seconds since 1970-01-01 00:00:00 on the civil calendar (no zone).
    std::int64_t to_seconds() const;
    static DateTime from_seconds(std::int64_t seconds);

    // True when every field is in range for a real calendar day and time.
    bool valid() const;

    DateTime date_part() const { return {year, month, day, 0, 0, 0}; }
    DateTime time_part() const { return {1899, 12, 30, hour, minute, second}; }
    // The date of `date` joined to the time of `time`: a stored date plus a
    // stored time of day give the moment they describe.
    static DateTime combine(const DateTime& date, const DateTime& time);

    // Whether this value carries only a time of day (the zero date).
    bool is_time_only() const { return year == 1899 && month == 12 && day == 30; }

    // "2005-05-19 14:07:00"; a time-only value gives "14:07:00", a value at
    // midnight gives "2005-05-19".
    std::string to_iso() const;
    // "yyyymmddhhnn": the stamp of a backup copy.
    std::string stamp() const;
    // Reads "2005-05-19", "14:07:00", "14:07", "2005-05-19 14:07:00" or the
    // same with "T"; nothing else.
    static std::optional<DateTime> parse_iso(std::string_view text);
    // Reads a date the way a user types one here: ISO forms, and
    // day/month/year or day-month-year with an optional time after a blank.
    static std::optional<DateTime> parse_user(std::string_view text);

    friend bool operator==(const DateTime&, const DateTime&) = default;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// Whole seconds from `from` to `to` (negative when `to` is earlier).
std::int64_t seconds_between(const DateTime& from, const DateTime& to);

// Number of minute boundaries crossed between two moments: 10:00:59 to
// 10:01:00 counts 1.
std::int64_t minute_boundaries_between(const DateTime& from, const DateTime& to);

// How a date is shown to a user: "19-05-2005" for a date, "14:07:00" for
// a time of day, "19-05-2005 14:07:00" for a moment.
std::string texto_data_hora(const DateTime& momento);

}  // namespace pezolva
