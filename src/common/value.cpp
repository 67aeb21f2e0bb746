#include "common/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace pezolva {

bool Value::is_null_or_empty() const {
    if (is_null()) return true;
    const std::string* s = text();
    return s != nullptr && s->empty();
}

std::string Value::to_text() const {
    switch (kind()) {
        case Kind::Null:
            return {};
        case Kind::Boolean:
            return std::get<bool>(data_) ? "True" : "False";
        case Kind::Integer:
            return std::to_string(std::get<std::int64_t>(data_));
        case Kind::Real: {
            char buffer[64];
            auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(data_));
            return ec == std::errc() ? std::string(buffer, ptr) : std::string();
        }
        case Kind::Text:
            return std::get<std::string>(data_);
        case Kind::Date:
            return std::get<DateTime>(data_).to_iso();
    }
    return {};
}

namespace {

// A real number truncated toward zero, or nullopt when the result is not a
// 64-bit integer (converting it would be undefined).
std::optional<std::int64_t> truncated(double d) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!std::isfinite(d) || !(std::trunc(d) >= -kLimit && std::trunc(d) < kLimit)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(d);
}

}  // namespace

std::optional<std::int64_t> Value::to_integer() const {
    switch (kind()) {
        case Kind::Boolean:
            return std::get<bool>(data_) ? -1 : 0;
        case Kind::Integer:
            return std::get<std::int64_t>(data_);
        case Kind::Real:
            return truncated(std::get<double>(data_));
        case Kind::Text: {
            const std::string& text = std::get<std::string>(data_);
            if (!texto_numerico(text)) return std::nullopt;
            // A whole number is read exactly, not through a double.
            std::int64_t whole = 0;
            const char* first = text.data() + (text.front() == '+' ? 1 : 0);
            const char* last = text.data() + text.size();
            const auto [end, error] = std::from_chars(first, last, whole);
            if (end == last) return error == std::errc() ? std::optional(whole) : std::nullopt;
            const auto d = leading_number(text);
            return d ? truncated(*d) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<double> Value::to_real() const {
    switch (kind()) {
        case Kind::Boolean:
            return std::get<bool>(data_) ? -1.0 : 0.0;
        case Kind::Integer:
            return static_cast<double>(std::get<std::int64_t>(data_));
        case Kind::Real:
            return std::get<double>(data_);
        case Kind::Text:
            if (!texto_numerico(std::get<std::string>(data_))) return std::nullopt;
            return leading_number(std::get<std::string>(data_));
        default:
            return std::nullopt;
    }
}

std::optional<bool> Value::to_boolean() const {
    switch (kind()) {
        case Kind::Boolean:
            return std::get<bool>(data_);
        case Kind::Integer:
            return std::get<std::int64_t>(data_) != 0;
        case Kind::Real:
            return std::get<double>(data_) != 0.0;
        case Kind::Text: {
            const std::string& s = std::get<std::string>(data_);
            if (iequals(trim(s), "true")) return true;
            if (iequals(trim(s), "false")) return false;
            if (auto d = to_real()) return *d != 0.0;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<DateTime> Value::to_date() const {
    if (kind() == Kind::Date) return std::get<DateTime>(data_);
    if (kind() == Kind::Text) return DateTime::parse_iso(std::get<std::string>(data_));
    return std::nullopt;
}

Value nulo_para(const Value& value, const Value& fallback) {
    return value.is_null_or_empty() ? fallback : value;
}

}  // namespace pezolva
