#include "comandos.h"
#include "compactacao_terminal.h"
#include "projecto_nomeado.h"

namespace pezolva::cli {

// Makes the project current as the launcher does, then compacts every
// database of its register (the main one first) or the one named.
int compact(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {});
    args.exige_posicionais(0, 1);
    if (!arranca_projecto_nomeado(args)) return kFalhou;
    if (args.posicionais().empty()) return corre_compactacao(std::nullopt);
    return corre_compactacao(args.posicionais()[0]);
}

}  // namespace pezolva::cli
