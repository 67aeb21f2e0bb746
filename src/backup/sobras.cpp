#include "backup/sobras.h"

#include "backup/nome_copia.h"
#include "engine/delete_database.h"
#include "engine/error.h"
#include "register/copias_da_base.h"

namespace pezolva::backup {

Sobras recupera_sobras(FileSystem& files, const std::string& pasta, const std::string& caminho_bd) {
    if (!base_copia(caminho_bd)) return {};
    // A temporary copy made for a copy of this database.
    const engine::Leftovers feito =
        engine::delete_leftovers(files, pasta, [&](const std::string& nome) {
            const auto copia = copia_do_temporario(nome);
            return copia && carimbo_de_copia(caminho_bd, *copia, LeituraCopia::ParaApagar);
        });
    return {feito.removed, feito.bytes, feito.left};
}

std::string aviso_deixados(const Sobras& sobras, const std::string& pasta,
                           const std::string& caminho_bd) {
    return engine::left_behind(sobras.deixados, pasta,
                               "outra cópia da base de dados " + caminho_bd);
}

}  // namespace pezolva::backup
