#include "common/date_time.h"

#include <charconv>
#include <cstdio>

namespace pezolva {
namespace {

// Days from 1970-01-01 to the given civil date (H. Hinnant's algorithm).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return days[month - 1];
}

// Reads exactly `width` digits at `pos`, or fails.
bool read_digits(std::string_view text, std::size_t& pos, std::size_t min_width,
                 std::size_t max_width, int& out) {
    std::size_t end = pos;
    while (end < text.size() && end - pos < max_width && text[end] >= '0' && text[end] <= '9')
        ++end;
    if (end - pos < min_width) return false;
    auto [ptr, ec] = std::from_chars(text.data() + pos, text.data() + end, out);
    if (ec != std::errc() || ptr != text.data() + end) return false;
    pos = end;
    return true;
}

bool read_char(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// "hh:mm" or "hh:mm:ss" from pos to the end.
bool read_time(std::string_view text, std::size_t pos, DateTime& out) {
    int h = 0, mi = 0, s = 0;
    if (!read_digits(text, pos, 1, 2, h) || !read_char(text, pos, ':') ||
        !read_digits(text, pos, 2, 2, mi))
        return false;
    if (read_char(text, pos, ':') && !read_digits(text, pos, 2, 2, s)) return false;
    if (pos != text.size()) return false;
    out.hour = h;
    out.minute = mi;
    out.second = s;
    return true;
}

}  // namespace

std::int64_t DateTime::to_seconds() const {
    return days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

DateTime DateTime::from_seconds(std::int64_t seconds) {
    const std::int64_t days = floor_div(seconds, 86400);
    std::int64_t rest = seconds - days * 86400;
    DateTime t;
    civil_from_days(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    rest %= 3600;
    t.minute = static_cast<int>(rest / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

bool DateTime::valid() const {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= days_in_month(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
           minute <= 59 && second >= 0 && second <= 59;
}

DateTime DateTime::combine(const DateTime& date, const DateTime& time) {
    return {date.year, date.month, date.day, time.hour, time.minute, time.second};
}

std::string DateTime::to_iso() const {
    char buffer[32];
    if (is_time_only()) {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
    } else if (hour == 0 && minute == 0 && second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                      hour, minute, second);
    }
    return buffer;
}

std::string DateTime::stamp() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d", year, month, day, hour, minute);
    return buffer;
}

std::optional<DateTime> DateTime::parse_iso(std::string_view text) {
    DateTime t;
    std::size_t pos = 0;
    if (text.find('-') == std::string_view::npos) {
        if (!read_time(text, 0, t) || !t.valid()) return std::nullopt;
        return t;
    }
    if (!read_digits(text, pos, 4, 4, t.year) || !read_char(text, pos, '-') ||
        !read_digits(text, pos, 2, 2, t.month) || !read_char(text, pos, '-') ||
        !read_digits(text, pos, 2, 2, t.day))
        return std::nullopt;
    if (pos < text.size()) {
        if (!read_char(text, pos, ' ') && !read_char(text, pos, 'T')) return std::nullopt;
        if (!read_time(text, pos, t)) return std::nullopt;
    }
    if (!t.valid()) return std::nullopt;
    return t;
}

std::optional<DateTime> DateTime::parse_user(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (auto iso = parse_iso(text)) return iso;
    DateTime t;
    std::size_t pos = 0;
    if (!read_digits(text, pos, 1, 2, t.day)) return std::nullopt;
    const char sep = pos < text.size() ? text[pos] : '\0';
    if (sep != '/' && sep != '-' && sep != '.') return std::nullopt;
    ++pos;
    if (!read_digits(text, pos, 1, 2, t.month) || !read_char(text, pos, sep) ||
        !read_digits(text, pos, 2, 4, t.year))
        return std::nullopt;
    if (t.year < 100) t.year += t.year < 30 ? 2000 : 1900;
    if (pos < text.size()) {
        if (!read_char(text, pos, ' ') || !read_time(text, pos, t)) return std::nullopt;
    }
    if (!t.valid()) return std::nullopt;
    return t;
}

std::int64_t seconds_between(const DateTime& from, const DateTime& to) {
    return to.to_seconds() - from.to_seconds();
}

std::int64_t minute_boundaries_between(const DateTime& from, const DateTime& to) {
    return floor_div(to.to_seconds(), 60) - floor_div(from.to_seconds(), 60);
}

std::string texto_data_hora(const DateTime& m) {
    char data[16];
    char hora[16];
    std::snprintf(data, sizeof data, "%02d-%02d-%04d", m.day, m.month, m.year);
    std::snprintf(hora, sizeof hora, "%02d:%02d:%02d", m.hour, m.minute, m.second);
    if (m.is_time_only()) return hora;
    if (m.hour == 0 && m.minute == 0 && m.second == 0) return data;
    return std::string(data) + " " + hora;
}

}  // namespace pezolva
