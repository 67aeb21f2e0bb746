#include "offsite/etiquetas.h"

#include <cctype>

namespace pezolva::offsite {

std::string codifica(const std::string& nome) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string r;
    for (unsigned char c : nome) {
        if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
            r += static_cast<char>(c);
        } else {
            r += '%';
            r += kHex[c >> 4];
            r += kHex[c & 15];
        }
    }
    return r;
}

std::string descodifica(const std::string& etiqueta) {
    std::string r;
    for (std::size_t i = 0; i < etiqueta.size(); ++i) {
        if (etiqueta[i] == '%' && i + 2 < etiqueta.size() &&
            std::isxdigit(static_cast<unsigned char>(etiqueta[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(etiqueta[i + 2]))) {
            r += static_cast<char>(std::stoi(etiqueta.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            r += etiqueta[i];
        }
    }
    return r;
}

std::string etiqueta_projecto(const std::string& projecto) {
    return "projecto=" + codifica(projecto);
}
std::string etiqueta_bd(const std::string& bd) { return "bd=" + codifica(bd); }
std::string etiqueta_carimbo(const std::string& carimbo) { return "carimbo=" + codifica(carimbo); }

std::vector<std::string> etiquetas_copia(const std::string& projecto, const std::string& bd,
                                         const std::string& carimbo) {
    return {kMarca, kTipoCopia, etiqueta_projecto(projecto), etiqueta_bd(bd),
            etiqueta_carimbo(carimbo)};
}

std::optional<std::string> valor_etiqueta(const std::vector<std::string>& etiquetas,
                                          const std::string& chave) {
    for (const std::string& e : etiquetas) {
        if (e.size() > chave.size() && e.compare(0, chave.size(), chave) == 0 &&
            e[chave.size()] == '=') {
            return descodifica(e.substr(chave.size() + 1));
        }
    }
    return std::nullopt;
}

std::optional<std::string> hora_do_carimbo(const std::string& c) {
    if (c.size() != 12 || c.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return c.substr(0, 4) + "-" + c.substr(4, 2) + "-" + c.substr(6, 2) + " " + c.substr(8, 2) +
           ":" + c.substr(10, 2) + ":00";
}

}  // namespace pezolva::offsite
