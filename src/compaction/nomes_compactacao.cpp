#include "compaction/nomes_compactacao.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "common/text.h"

namespace pezolva {
namespace {

bool so_algarismos(const std::string& texto, std::size_t desde, std::size_t quantos) {
    if (texto.size() < desde + quantos) return false;
    for (std::size_t i = desde; i < desde + quantos; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(texto[i]))) return false;
    }
    return true;
}

}  // namespace

std::string nome_temporario(const std::string& nomebd, const DateTime& t) {
    char momento[32];
    std::snprintf(momento, sizeof momento, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
    return nomebd + momento;
}

std::optional<std::string> nome_antiga(const std::string& nomebd, const DateTime& momento) {
    const auto corte = offset_of_last_chars(nomebd, 4);
    if (!corte) return std::nullopt;
    return nomebd.substr(0, *corte) + momento.stamp() + ".mdb";
}

bool e_sobra_temporaria(const std::string& nomebd, const std::string& f) {
    const std::size_t n = nomebd.size();
    if (f.size() == n + 14 && f.compare(0, n, nomebd) == 0) return so_algarismos(f, n, 14);
    const std::string parcial = ".parcial";
    if (f.size() == n + 15 + parcial.size() && f[0] == '.' && f.compare(1, n, nomebd) == 0 &&
        f.compare(n + 15, parcial.size(), parcial) == 0) {
        return so_algarismos(f, n + 1, 14);
    }
    return false;
}

bool e_nome_antiga(const std::string& nomebd, const std::string& f) {
    const auto corte = offset_of_last_chars(nomebd, 4);
    if (!corte || f.size() != *corte + 16) return false;
    return f.compare(0, *corte, nomebd, 0, *corte) == 0 && so_algarismos(f, *corte, 12) &&
           f.compare(*corte + 12, 4, ".mdb") == 0;
}

std::optional<std::string> nao_confiavel(const std::string& pasta, const std::string& ferramenta) {
    std::vector<std::string> caminho = {pasta};
    for (std::size_t barra = ferramenta.find('/', pasta.size() + 1); barra != std::string::npos;
         barra = ferramenta.find('/', barra + 1)) {
        caminho.push_back(ferramenta.substr(0, barra));
    }
    caminho.push_back(ferramenta);
    for (const std::string& c : caminho) {
        struct stat st {};
        if (::stat(c.c_str(), &st) != 0) return c + " não pode ser examinado";
        if (st.st_uid != ::geteuid() && st.st_uid != 0) return c + " pertence a outro utilizador";
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return c + " pode ser alterado por outros utilizadores";
    }
    return std::nullopt;
}

std::optional<std::string> procura_jetcomp(FileSystem& files, const std::string& caminhobd,
                                           const std::vector<std::string>& pastas_programa,
                                           std::string* passada) {
    const auto existe = [&](const std::string& c) {
        return files.exists(c) && !files.is_directory(c);
    };
    for (const std::string& c :
         {join_path(caminhobd, "jetcomp4/jetcomp"), join_path(caminhobd, "jetcomp")}) {
        if (!existe(c)) continue;
        const std::optional<std::string> porque = nao_confiavel(caminhobd, c);
        if (!porque) return c;
        if (passada != nullptr && passada->empty())
            *passada = "não foi usado " + c + ": " + *porque;
    }
    for (const std::string& pasta : pastas_programa) {
        if (existe(join_path(pasta, "jetcomp"))) return join_path(pasta, "jetcomp");
    }
    return std::nullopt;
}

}  // namespace pezolva
