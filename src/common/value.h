#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "common/date_time.h"

namespace pezolva {

// A database value as the component sees it: Null, a Yes/No, a whole
// number, a real number, a text or a date-time.  Values read from a
// database and values typed by a user travel in this one type.
class Value {
  public:
    enum class Kind { Null, Boolean, Integer, Real, Text, Date };

    Value() = default;  // Null
    Value(bool b) : data_(b) {}
    Value(int i) : data_(static_cast<std::int64_t>(i)) {}
    Value(std::int64_t i) : data_(i) {}
    Value(double d) : data_(d) {}
    Value(std::string s) : data_(std::move(s)) {}
    Value(const char* s) : data_(std::string(s)) {}
    Value(DateTime t) : data_(t) {}

    static Value null() { return {}; }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool is_null() const { return kind() == Kind::Null; }

    // True for Null and for a text that is empty: the test the component
    // makes before it falls back to a default.
    bool is_null_or_empty() const;

    // The value as text: Null and "" give "", Yes/No gives "True"/"False",
    // numbers in their shortest exact form with "." as decimal point, dates
    // as ISO text.
    std::string to_text() const;

    // Whole number: numbers truncated toward zero, Yes/No as -1/0 (the
    // original engine's True), numeric texts read; nullopt for anything else,
    // and for a number or text beyond the 64-bit range (a conversion error).
    std::optional<std::int64_t> to_integer() const;
    std::optional<double> to_real() const;
    // Yes/No: booleans, numbers (non-zero is True), and the texts "True" and
    // "False" in any case or numeric texts; nullopt for anything else.
    std::optional<bool> to_boolean() const;
    // Date: dates, and texts in ISO form.
    std::optional<DateTime> to_date() const;

    const std::string* text() const { return std::get_if<std::string>(&data_); }

    friend bool operator==(const Value&, const Value&) = default;

  private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, DateTime> data_;
};

// The value, or `fallback` when it is Null or an empty text.
Value nulo_para(const Value& value, const Value& fallback);

}  // namespace pezolva
