#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "compactacao_terminal.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// Makes the project current as the launcher does, then compacts every
// database of its register (the main one first) or the one named.
int compact(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {});
    args.exige_posicionais(0, 1);
    const auto nome_projecto = args.valor("--project");
    if (!nome_projecto) throw UsoErrado{"falta --project NOME"};
    const std::optional<operacoes::Projecto> projecto = operacoes::procura_projecto(*nome_projecto);
    if (!projecto) {
        std::fprintf(stderr, "pezolva: o projecto %s não está registado neste posto.\n", nome_projecto->c_str());
        return kFalhou;
    }
    const std::string passwd = obtem_password(args, "Palavra-passe de " + projecto->nome_bd + ": ");
    if (operacoes::arranca_projecto(*projecto, passwd, true) != operacoes::Arranque::Pronto) return kFalhou;
    if (args.posicionais().empty()) return corre_compactacao(std::nullopt);
    return corre_compactacao(args.posicionais()[0]);
}

}  // namespace pezolva::cli
