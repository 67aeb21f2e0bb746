#include "common/settings_lines.h"

#include "common/text.h"

namespace pezolva {
namespace {

// The characters of 0x80..0x9F in Windows-1252; 0 where the code page
// defines none.
constexpr char16_t kDe80a9F[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_comment(const std::string& line) {
    const std::string t = trim(line);
    return t.empty() || t.front() == ';' || t.front() == '#';
}

}  // namespace

bool is_utf8_text(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        std::size_t more = 0;
        if (c < 0x80)
            more = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else
            return false;
        if (more > 0 && i + more >= text.size()) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += more + 1;
    }
    return true;
}

std::string from_windows_1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        if (c >= 0x80 && c <= 0x9F) {
            const char16_t mapped = kDe80a9F[c - 0x80];
            append_utf8(out, mapped != 0 ? mapped : c);
        } else {
            append_utf8(out, c);
        }
    }
    return out;
}

std::vector<SettingsLine> split_settings_lines(const std::string& content) {
    std::vector<SettingsLine> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        SettingsLine line;
        line.raw = content.substr(start, end - start);
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
        if (line.raw.find('\0') != std::string::npos) {
            line.unreadable = true;
        } else if (is_utf8_text(line.raw)) {
            line.text = line.raw;
        } else {
            line.text = from_windows_1252(line.raw);
            line.converted = true;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool is_section_header(const std::string& line, std::string* name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    if (name != nullptr) *name = t.substr(1, t.size() - 2);
    return true;
}

bool holds_no_settings(const std::vector<SettingsLine>& lines) {
    bool anything = false;
    for (const SettingsLine& line : lines) {
        if (line.unreadable) {
            anything = true;
        } else if (is_section_header(line.text)) {
            return false;
        } else if (!is_comment(line.text)) {
            anything = true;
        }
    }
    return anything;
}

}  // namespace pezolva
