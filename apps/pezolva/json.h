#pragma once

#include <string>

namespace pezolva::cli {

// `s` as a JSON string: quotes, backslashes and control characters
// escaped, and bytes that are not UTF-8 replaced by U+FFFD, so the output
// is always valid JSON in UTF-8.
std::string texto_json(const std::string& s);

}  // namespace pezolva::cli
