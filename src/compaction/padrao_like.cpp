#include "compaction/padrao_like.h"

#include <string>

namespace pezolva {
namespace {

// UTF-8 decoded to code points; a byte that is not valid UTF-8 stands for
// itself.
std::u32string caracteres(std::string_view t) {
    std::u32string r;
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        bool valido = i + n <= t.size();
        for (int k = 1; valido && k < n; ++k) {
            const auto seguinte = static_cast<unsigned char>(t[i + k]);
            valido = (seguinte & 0xC0) == 0x80;
            c = (c << 6) | (seguinte & 0x3F);
        }
        if (!valido) {
            r.push_back(b);
            ++i;
            continue;
        }
        r.push_back(c);
        i += n;
    }
    return r;
}

// Matches one character against the list that starts after "[" at `p`;
// `fim` gets the position after "]".  False when the list is not closed.
bool na_lista(const std::u32string& padrao, std::size_t p, char32_t c, std::size_t& fim, bool& casa) {
    bool negada = p < padrao.size() && padrao[p] == U'!';
    if (negada) ++p;
    bool encontrado = false;
    for (bool primeiro = true; p < padrao.size(); primeiro = false) {
        if (padrao[p] == U']' && !primeiro) {
            fim = p + 1;
            casa = encontrado != negada;
            return true;
        }
        const char32_t de = padrao[p];
        if (p + 2 < padrao.size() && padrao[p + 1] == U'-' && padrao[p + 2] != U']') {
            encontrado = encontrado || (de <= c && c <= padrao[p + 2]);
            p += 3;
        } else {
            encontrado = encontrado || c == de;
            ++p;
        }
    }
    return false;
}

bool corresponde(const std::u32string& t, std::size_t i, const std::u32string& p, std::size_t j) {
    while (j < p.size()) {
        const char32_t q = p[j];
        if (q == U'*') {
            while (j < p.size() && p[j] == U'*') ++j;
            if (j == p.size()) return true;
            for (std::size_t k = i; k <= t.size(); ++k) {
                if (corresponde(t, k, p, j)) return true;
            }
            return false;
        }
        if (i == t.size()) return false;
        if (q == U'[') {
            std::size_t fim = 0;
            bool casa = false;
            if (!na_lista(p, j + 1, t[i], fim, casa) || !casa) return false;
            j = fim;
        } else if (q == U'?') {
            ++j;
        } else if (q == U'#') {
            if (t[i] < U'0' || t[i] > U'9') return false;
            ++j;
        } else {
            if (t[i] != q) return false;
            ++j;
        }
        ++i;
    }
    return i == t.size();
}

}  // namespace

bool corresponde_like(std::string_view texto, std::string_view padrao) {
    return corresponde(caracteres(texto), 0, caracteres(padrao), 0);
}

}  // namespace pezolva
