#include "backup/sobras.h"

#include "backup/nome_copia.h"
#include "common/text.h"
#include "engine/delete_database.h"
#include "engine/error.h"

namespace pezolva::backup {
namespace {

// Whether a temporary copy was made for a copy of `ficheiro_bd`.
bool da_base(const std::string& temporario, const std::string& ficheiro_bd,
             const std::string& base) {
    const auto copia = copia_do_temporario(temporario);
    return copia && istarts_with(*copia, base) && nome_copia_valido(ficheiro_bd, *copia);
}

}  // namespace

Sobras recupera_sobras(FileSystem& files, const std::string& pasta, const std::string& caminho_bd) {
    const auto base = base_copia(caminho_bd);
    if (!base) return {};
    const std::string ficheiro_bd = file_name_of(caminho_bd);
    const engine::Leftovers feito = engine::delete_leftovers(files, pasta, [&](const std::string& nome) {
        return nome_temporario_de_copia(nome) && da_base(nome, ficheiro_bd, *base);
    });
    return {feito.removed, feito.bytes, feito.left};
}

std::string aviso_deixados(const Sobras& sobras, const std::string& pasta, const std::string& caminho_bd) {
    return engine::left_behind(sobras.deixados, pasta, "outra cópia da base de dados " + caminho_bd);
}

}  // namespace pezolva::backup
