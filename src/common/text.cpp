#include "common/text.h"

#include <algorithm>
#include <charconv>

namespace pezolva {

std::string fold_case(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            // U+00C0..U+00DE (except the multiplication sign U+00D7) fold to
            // U+00E0..U+00FE: the second byte 0x80..0x9E becomes 0xA0..0xBE.
            unsigned char d = static_cast<unsigned char>(out[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && fold_case(a) == fold_case(b);
}

bool istarts_with(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

bool iends_with(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           iequals(text.substr(text.size() - suffix.size()), suffix);
}

std::string trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

namespace {

bool continues_char(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

std::size_t char_count(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !continues_char(c); }));
}

std::optional<std::size_t> offset_after_chars(std::string_view text, std::size_t chars) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < chars; ++n) {
        if (i >= text.size()) return std::nullopt;
        ++i;
        while (i < text.size() && continues_char(text[i])) ++i;
    }
    return i;
}

std::optional<std::size_t> offset_of_last_chars(std::string_view text, std::size_t chars) {
    std::size_t i = text.size();
    for (std::size_t n = 0; n < chars;) {
        if (i == 0) return std::nullopt;
        if (!continues_char(text[--i])) ++n;
    }
    return i;
}

void separa_primeiro(std::string text, char separator, std::string& antes, std::string& depois) {
    const auto p = text.find(separator);
    if (p == std::string::npos) {
        antes = std::move(text);
        depois.clear();
    } else {
        antes = text.substr(0, p);
        depois = text.substr(p + 1);
    }
}

void separa_ultimo(std::string text, char separator, std::string& depois, std::string& antes) {
    const auto p = text.rfind(separator);
    if (p == std::string::npos) {
        antes.clear();
        depois = std::move(text);
    } else {
        antes = text.substr(0, p);
        depois = text.substr(p + 1);
    }
}

std::string file_name_of(std::string_view path) {
    const auto p = path.rfind('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string linhas_lf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool texto_numerico(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    bool digit = false;
    int commas = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == ',') {
            ++commas;
        } else if (c != '.') {
            return false;
        }
    }
    return digit && commas <= 1;
}

std::optional<double> leading_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    // from_chars ignores the C locale, which a Qt program sets from the
    // environment (a Portuguese locale would read "12.5" as 12).
    double value = 0;
    const char* first = number.data() + (number.front() == '+' ? 1 : 0);
    std::from_chars(first, number.data() + number.size(), value);
    return value;
}

}  // namespace pezolva
