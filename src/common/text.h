#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pezolva {

// Case-blind comparison as the system makes it for names: ASCII letters and
// the accented Latin letters of Portuguese (UTF-8) fold to lower case.
std::string fold_case(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
bool istarts_with(std::string_view text, std::string_view prefix);
bool iends_with(std::string_view text, std::string_view suffix);

// Text without leading and trailing blanks (spaces and tabs).
std::string trim(std::string_view text);

// UTF-8 texts counted by character: a character is a byte that does not
// continue another (not 10xxxxxx) with the continuation bytes after it.
// Number of characters (not bytes) in a UTF-8 text.
std::size_t char_count(std::string_view text);
// The byte offset just after the first `chars` characters; nullopt when the
// text has fewer.
std::optional<std::size_t> offset_after_chars(std::string_view text, std::size_t chars);
// The byte offset where the last `chars` characters begin; nullopt when the
// text has fewer.
std::optional<std::size_t> offset_of_last_chars(std::string_view text, std::size_t chars);

// Splits `text` at the first `separator`: `antes` is what precedes it and
// `depois` what follows; without a separator `antes` is the whole text and
// `depois` empty.  The text is read before either output is written, so the
// same variable may be passed as text and as an output.
void separa_primeiro(std::string text, char separator, std::string& antes, std::string& depois);

// Splits `text` at the last `separator`: `depois` is what follows it and
// `antes` what precedes it; without a separator `antes` is empty and
// `depois` the whole text.  Parameter order as the system has it.
void separa_ultimo(std::string text, char separator, std::string& depois, std::string& antes);

// The file name part of a path ("/" separated): the whole text when it has
// no folder.
std::string file_name_of(std::string_view path);

// The text with every line break as a line feed alone: CR LF and a lone CR
// (the system's messages use both) become LF, as terminals and labels want.
std::string linhas_lf(std::string_view text);

// Strict test that a text is a plain decimal number: an optional leading
// "+" or "-", then only digits, "." and ",", with at least one digit and at
// most one "," (the decimal comma; "." may group thousands or be a decimal
// point).  Blanks, exponents, currency signs and late signs are refused.
bool texto_numerico(std::string_view text);

// The leading number of a text read with "." as decimal point, ignoring the
// locale: "12.5abc" gives 12.5, "1,5" gives 1.  nullopt when the text does
// not begin with a number.
std::optional<double> leading_number(std::string_view text);

}  // namespace pezolva
