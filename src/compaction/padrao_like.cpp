#include "compaction/padrao_like.h"

#include <fnmatch.h>

#include <string>

namespace pezolva {
namespace {

// The pattern as fnmatch(3) reads it: a "#" outside a list becomes "[0-9]";
// the rest (*, ?, [...], [!...]) is fnmatch's own.
std::string para_fnmatch(std::string_view padrao) {
    std::string r;
    bool na_lista = false;
    for (std::size_t i = 0; i < padrao.size(); ++i) {
        const char c = padrao[i];
        if (na_lista) {
            // A "]" right after "[" or "[!" is a member, not the end.
            const bool primeiro =
                padrao[i - 1] == '[' || (padrao[i - 1] == '!' && padrao[i - 2] == '[');
            if (c == ']' && !primeiro) na_lista = false;
            r += c;
        } else if (c == '[') {
            na_lista = padrao.find(']', i + 2) != std::string_view::npos;
            r += c;
        } else {
            r += c == '#' ? std::string("[0-9]") : std::string(1, c);
        }
    }
    return r;
}

}  // namespace

bool corresponde_like(std::string_view texto, std::string_view padrao) {
    if (padrao == "*") return true;
    if (padrao.find_first_of("*?#[") == std::string_view::npos) return texto == padrao;
    return ::fnmatch(para_fnmatch(padrao).c_str(), std::string(texto).c_str(), FNM_NOESCAPE) == 0;
}

}  // namespace pezolva
