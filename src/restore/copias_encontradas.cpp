#include "restore/copias_encontradas.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "common/text.h"

namespace pezolva::restore {
namespace {

constexpr std::size_t kCarimbo = 12;

std::uint64_t milhares(std::uint64_t bytes) { return (bytes + 500) / 1000; }

const std::string& coluna(const CopiaEncontrada& c, int n) {
    switch (n) {
        case 0:
            return c.nome_fich;
        case 1:
            return c.bd;
        case 2:
        case 3:
            return c.carimbo;
        case 4:
            return c.caminho;
        default:
            return c.tamanho_formatado;
    }
}

}  // namespace

std::string data_do_carimbo(const std::string& c) {
    if (c.size() != kCarimbo) return {};
    return c.substr(6, 2) + "-" + c.substr(4, 2) + "-" + c.substr(0, 4) + " " + c.substr(8, 2) +
           ":" + c.substr(10, 2);
}

std::string tamanho_em_kbytes(std::uint64_t bytes, const std::string& separador) {
    const std::uint64_t k = milhares(bytes);
    if (k == 0) return "<1";
    const std::string digitos = std::to_string(k);
    std::string texto;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i > 0 && (digitos.size() - i) % 3 == 0) texto += separador;
        texto += digitos[i];
    }
    return texto;
}

std::string tamanho_ordenavel(std::uint64_t bytes) {
    char texto[32];
    std::snprintf(texto, sizeof texto, "%09llu", static_cast<unsigned long long>(milhares(bytes)));
    return texto;
}

void junta_pasta(std::vector<std::string>& pastas, const std::string& pasta) {
    if (pasta.empty()) return;
    for (const std::string& p : pastas) {
        if (iequals(p, pasta)) return;
    }
    pastas.push_back(pasta);
}

namespace {

CopiaEncontrada linha(const std::string& pasta, const std::string& f, const std::string& nome,
                      const std::string& carimbo, std::uint64_t bytes,
                      const std::string& separador) {
    return {f,
            nome,
            data_do_carimbo(carimbo),
            carimbo,
            pasta,
            tamanho_em_kbytes(bytes, separador),
            tamanho_ordenavel(bytes),
            bytes};
}

}  // namespace

std::optional<CopiaEncontrada> reconhece_copia(FileSystem& files, const std::string& caminho,
                                               const std::vector<std::string>& nomes,
                                               const std::string& separador) {
    std::string pasta, f;
    separa_ultimo(caminho, '/', f, pasta);
    if (pasta.empty() && !caminho.empty() && caminho.front() == '/') pasta = "/";
    for (const std::string& nome_bd : nomes) {
        const auto carimbo = carimbo_de_copia(nome_bd, f, LeituraCopia::ParaListar);
        if (!carimbo) continue;
        const auto bytes = files.file_size(caminho);
        if (!bytes) return std::nullopt;
        return linha(pasta.empty() ? "." : pasta, f, nome_procurado(nome_bd), *carimbo, *bytes,
                     separador);
    }
    return std::nullopt;
}

std::vector<CopiaEncontrada> procura_copias(
    FileSystem& files, const std::vector<std::string>& pastas,
    const std::vector<std::string>& nomes, const std::string& separador,
    const std::function<bool(const std::string& pasta)>& a_procurar) {
    std::vector<CopiaEncontrada> copias;
    std::set<std::string> vistos;
    // Each folder is listed once per search, however many databases are
    // looked for in it: a crowded copies folder costs one listing.
    std::map<std::string, std::vector<std::string>> listagens;
    const auto listagem = [&](const std::string& pasta) -> const std::vector<std::string>& {
        auto [it, nova] = listagens.try_emplace(pasta);
        if (nova) {
            try {
                it->second = files.list_files(pasta);
            } catch (const FileError&) {
                // an unreadable folder yields nothing, like a missing one
            }
        }
        return it->second;
    };
    for (const std::string& nome_bd : nomes) {
        const std::string nome = nome_procurado(nome_bd);
        for (const std::string& pasta : pastas) {
            if (a_procurar && !a_procurar(pasta)) return copias;
            for (const std::string& f : listagem(pasta)) {
                const auto carimbo = carimbo_de_copia(nome_bd, f, LeituraCopia::ParaListar);
                if (!carimbo || vistos.count(f) != 0) continue;
                const auto bytes = files.file_size(join_path(pasta, f));
                if (!bytes) continue;
                vistos.insert(f);
                copias.push_back(linha(pasta, f, nome, *carimbo, *bytes, separador));
            }
        }
    }
    return copias;
}

void ordena(std::vector<CopiaEncontrada>& copias, int n, bool descendente) {
    // Each key folded once, not at every comparison.
    std::vector<std::pair<std::string, CopiaEncontrada>> chaves;
    chaves.reserve(copias.size());
    for (CopiaEncontrada& c : copias) chaves.emplace_back(fold_case(coluna(c, n)), std::move(c));
    std::stable_sort(chaves.begin(), chaves.end(), [&](const auto& a, const auto& b) {
        return descendente ? b.first < a.first : a.first < b.first;
    });
    for (std::size_t i = 0; i < copias.size(); ++i) copias[i] = std::move(chaves[i].second);
}

}  // namespace pezolva::restore
