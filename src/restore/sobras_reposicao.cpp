#include "restore/sobras_reposicao.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "engine/delete_database.h"
#include "engine/error.h"
#include "engine/journals_aside.h"
#include "engine/lock_file.h"

namespace pezolva::restore {
namespace {

constexpr std::string_view kFimTemporario = ".pezolva-reposicao";
constexpr std::string_view kFimAnterior = ".pezolva-reposicao-anterior";
constexpr std::string_view kFimBuscado = ".pezolva-fora";
constexpr std::size_t kDigitos = 16;

std::string nome_escondido(const std::string& bd, std::uint64_t token, std::string_view fim) {
    std::string pasta, nome;
    separa_ultimo(bd, '/', nome, pasta);
    char hex[kDigitos + 1];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(token));
    return join_path(pasta, "." + nome + "." + hex + std::string(fim));
}

// The database a leftover was made for: ".<database>.<16 hex digits><fim>".
std::optional<std::string> base_de(std::string_view nome, std::string_view fim) {
    if (!nome.starts_with('.') || !nome.ends_with(fim)) return std::nullopt;
    nome.remove_prefix(1);
    nome.remove_suffix(fim.size());
    if (nome.size() < kDigitos + 2 || nome[nome.size() - kDigitos - 1] != '.') return std::nullopt;
    for (const char c : nome.substr(nome.size() - kDigitos)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return std::string(nome.substr(0, nome.size() - kDigitos - 1));
}

bool e_sobra(const std::string& nome) {
    return base_de(nome, kFimTemporario) || base_de(nome, kFimAnterior) ||
           base_de(nome, kFimBuscado);
}

// Puts an old database set aside back under its name, which is empty: a
// restore killed between its two renames, or one whose undo failed.  Under the database's exclusive
// lock, so nobody creates the name meanwhile.
void devolve(FileSystem& files, const std::string& anterior, const std::string& bd) {
    engine::ExclusiveLock bloqueio(bd);
    if (files.exists(bd)) return;
    // Its journals went aside with it.
    engine::JournalsAside diarios(files, anterior, bd);
    try {
        files.rename_no_replace(anterior, bd);
    } catch (const FileError&) {
        diarios.bring_back();
        throw;
    }
}

}  // namespace

std::string temporario_reposicao(const std::string& bd, std::uint64_t token) {
    return nome_escondido(bd, token, kFimTemporario);
}

std::string anterior_reposicao(const std::string& bd, std::uint64_t token) {
    return nome_escondido(bd, token, kFimAnterior);
}

std::string buscado_reposicao(const std::string& bd, std::uint64_t token) {
    return nome_escondido(bd, token, kFimBuscado);
}

engine::Leftovers recupera_reposicoes(FileSystem& files, const std::string& pasta) {
    try {
        return engine::delete_leftovers(files, pasta, e_sobra, [&](const std::string& caminho) {
            // An old database set aside whose name is empty goes back under
            // it first; what is left of a leftover (all of it, when nothing
            // was put back) is then deleted.
            const std::string sobra = file_name_of(caminho);
            if (const auto base = base_de(sobra, kFimAnterior); base && files.exists(caminho)) {
                devolve(files, caminho, join_path(pasta, *base));
            }
        });
    } catch (const FileError&) {
        return {};
    }
}

void recupera_e_avisa(Services& servicos, const std::string& pasta) {
    const engine::Leftovers feito = recupera_reposicoes(servicos.files, pasta);
    if (feito.left > 0) {
        informa(servicos.dialogs, engine::left_behind(feito.left, pasta, "outra reposição"),
                "Atenção", Icon::Information);
    }
}

}  // namespace pezolva::restore
