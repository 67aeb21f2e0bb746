#pragma once

#include <string>
#include <vector>

namespace pezolva::cli {

// `s` as a JSON string: quotes, backslashes and control characters
// escaped, and bytes that are not UTF-8 replaced by U+FFFD, so the output
// is always valid JSON in UTF-8.
std::string texto_json(const std::string& s);

// The texts as a JSON array of strings.
std::string lista_json(const std::vector<std::string>& textos);

}  // namespace pezolva::cli
