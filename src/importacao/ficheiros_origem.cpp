#include "importacao/ficheiros_origem.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include "common/text.h"
#include "importacao/erro_importacao.h"

namespace pezolva::importacao {
namespace fs = std::filesystem;

FicheirosOrigem::FicheirosOrigem(std::string pasta) : pasta_(std::move(pasta)) {
    std::error_code erro;
    fs::directory_iterator it(pasta_, erro);
    if (erro)
        throw ErroImportacao("Não foi possível ler a pasta " + pasta_ + ": " + erro.message() +
                             ".");
    for (const fs::directory_entry& e : it) {
        if (e.is_regular_file(erro)) nomes_.push_back(e.path().filename().string());
    }
    std::sort(nomes_.begin(), nomes_.end());
}

std::optional<std::string> FicheirosOrigem::procura(const std::string& nome) const {
    for (const std::string& n : nomes_) {
        if (iequals(n, nome)) return n;
    }
    return std::nullopt;
}

std::vector<std::string> FicheirosOrigem::bases() const {
    std::vector<std::string> bases;
    for (const std::string& n : nomes_) {
        if (iends_with(n, ".mdb") && !nome_de_copia(n)) bases.push_back(n);
    }
    return bases;
}

void FicheirosOrigem::confirma_livre(const std::string& nome) const {
    const std::size_t ponto = nome.rfind('.');
    const std::string ldb = nome.substr(0, ponto) + ".ldb";
    if (auto real = procura(ldb)) {
        throw ErroImportacao("A base de dados " + nome + " está em uso: existe " + *real +
                             " ao lado dela. Feche o programa que a usa e repita.");
    }
}

bool nome_de_copia(const std::string& nome) {
    static const std::regex kCopia(
        R"(^(c[oó]pia( \(\d+\))? de |copy( \(\d+\))? of ).*|.* - (c[oó]pia|copy)( \(\d+\))?\.[^.]*$|.*\d{4}-?\d{2}-?\d{2}.*)",
        std::regex::icase);
    return std::regex_match(nome, kCopia);
}

}  // namespace pezolva::importacao
