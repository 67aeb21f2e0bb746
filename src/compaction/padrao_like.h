#pragma once

#include <string_view>

namespace pezolva {

// Whether `texto` matches `padrao` by the rules of a "like" comparison,
// letter case included: "*" any run of characters (none too), "?" one
// character, "#" one digit 0-9, "[abc]" one of the listed characters,
// "[a-z]" one in the range, "[!...]" one not listed.  There is no escape
// character ("\" is itself).  fnmatch(3) does the matching, so "?" and a
// list take one character in a UTF-8 locale (the component's programs run
// in one) and one byte in the "C" locale; the patterns the component passes
// ("*" and a class name) mean the same in both.
bool corresponde_like(std::string_view texto, std::string_view padrao);

}  // namespace pezolva
