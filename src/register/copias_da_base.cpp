#include "register/copias_da_base.h"

#include <string_view>

#include "common/date_time.h"
#include "common/text.h"

namespace pezolva {
namespace {

constexpr std::size_t kCarimbo = 12;
constexpr std::string_view kExtensao = ".mdb";

bool so_algarismos(std::string_view texto) {
    for (char c : texto) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int numero(std::string_view algarismos) {
    int n = 0;
    for (char c : algarismos) n = n * 10 + (c - '0');
    return n;
}

// The twelve characters after `nome` when `ficheiro` is exactly `nome`
// (any letter case, counted in characters), twelve bytes, then ".mdb" (any
// letter case); nullopt otherwise.
std::optional<std::string> doze_depois_de(const std::string& nome, const std::string& ficheiro) {
    const std::string_view f = ficheiro;
    const auto fim_nome = offset_after_chars(f, char_count(nome));
    if (!fim_nome || !iequals(f.substr(0, *fim_nome), nome)) return std::nullopt;
    const std::string_view resto = f.substr(*fim_nome);
    if (resto.size() != kCarimbo + kExtensao.size() || !iends_with(resto, kExtensao)) {
        return std::nullopt;
    }
    return std::string(resto.substr(0, kCarimbo));
}

}  // namespace

std::string pasta_das_copias(const std::string& destino, const std::string& pasta_bd) {
    std::string pasta = destino.empty() ? pasta_bd : destino;
    while (pasta.size() > 1 && pasta.back() == '/') pasta.pop_back();
    return pasta;
}

std::optional<std::string> base_copia(const std::string& caminho_bd) {
    const std::string ficheiro = file_name_of(caminho_bd);
    const auto corte = offset_of_last_chars(ficheiro, 4);
    if (!corte) return std::nullopt;
    return ficheiro.substr(0, *corte);
}

std::string nome_procurado(const std::string& nome_bd) {
    if (!iends_with(nome_bd, kExtensao)) return nome_bd;
    return nome_bd.substr(0, nome_bd.size() - kExtensao.size());
}

bool nome_copia_valido(const std::string& original, const std::string& nome) {
    const std::size_t comprimento = char_count(file_name_of(original));
    if (!iends_with(nome, kExtensao)) return false;
    if (comprimento <= 3) return false;
    const auto inicio = offset_after_chars(nome, comprimento - 4);
    if (!inicio) return false;
    const std::string_view resto = std::string_view(nome).substr(*inicio);
    if (char_count(resto) <= 4) return false;
    // The last four characters are ".mdb", four bytes.
    const std::string_view data = resto.substr(0, resto.size() - kExtensao.size());
    if (data.size() != kCarimbo || !so_algarismos(data)) return false;
    const DateTime momento{numero(data.substr(0, 4)),  numero(data.substr(4, 2)),
                           numero(data.substr(6, 2)),  numero(data.substr(8, 2)),
                           numero(data.substr(10, 2)), 0};
    return momento.valid();
}

std::optional<std::string> carimbo_de_copia(const std::string& nome_bd, const std::string& ficheiro,
                                            LeituraCopia leitura) {
    if (leitura == LeituraCopia::ParaListar) {
        std::optional<std::string> carimbo = doze_depois_de(nome_procurado(nome_bd), ficheiro);
        if (!carimbo || !texto_numerico(*carimbo)) return std::nullopt;
        return carimbo;
    }
    const std::optional<std::string> base = base_copia(nome_bd);
    if (!base) return std::nullopt;
    std::optional<std::string> carimbo = doze_depois_de(*base, ficheiro);
    if (!carimbo || !nome_copia_valido(nome_bd, ficheiro)) return std::nullopt;
    return carimbo;
}

}  // namespace pezolva
