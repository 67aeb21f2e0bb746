#pragma once

#include <string_view>

namespace pezolva {

// Whether `texto` matches `padrao` by the rules of a "like" comparison,
// letter case included: "*" any run of characters (none too), "?" one
// character, "#" one digit 0-9, "[abc]" one of the listed characters,
// "[a-z]" one in the range, "[!...]" one not listed; "[*]" "[?]" "[#]"
// match those characters themselves.  Texts are UTF-8 and compared by
// character.  A "[" that is never closed matches nothing.
bool corresponde_like(std::string_view texto, std::string_view padrao);

}  // namespace pezolva
