#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pezolva {

// True when `text` is well-formed UTF-8 with no NUL byte.
bool is_utf8_text(std::string_view text);

// `bytes` read as Windows-1252, the code page of the Windows editors that
// people open settings files with, in UTF-8.  The five bytes that code page
// leaves undefined become the C1 controls of the same number, as Windows
// itself reads them.
std::string from_windows_1252(std::string_view bytes);

// One line of a settings file: the text the store reads, and the bytes to
// write back while nothing changed the line.
struct SettingsLine {
    std::string text;
    std::string raw;
    // The line was not UTF-8 and its text was read as Windows-1252.
    bool converted = false;
    // A NUL byte: nothing in it is read (its text is empty), but it is
    // written back as it was.
    bool unreadable = false;
};

// The lines of a settings file, a CR before each LF dropped.
std::vector<SettingsLine> split_settings_lines(const std::string& content);

// The section named by a header line "[name]", if `line` is one.
bool is_section_header(const std::string& line, std::string* name = nullptr);

// Whether a file of these lines holds no settings a person could mean: it
// has lines that are neither blank nor comments, yet not one section header
// (what a binary file or a file of another format looks like).
bool holds_no_settings(const std::vector<SettingsLine>& lines);

}  // namespace pezolva
