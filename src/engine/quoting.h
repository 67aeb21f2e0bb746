#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pezolva::engine {

// `name` as an SQL identifier: "name", with each embedded " doubled.  Any
// text, including apostrophes, blanks and non-ASCII letters, stays one name.
std::string quote_identifier(std::string_view name);

// The names quoted and joined by ", ": a column list.
std::string quote_identifier_list(const std::vector<std::string>& names);

// `text` as an SQL string literal: 'text', with each embedded ' doubled.
std::string quote_literal(std::string_view text);

}  // namespace pezolva::engine
