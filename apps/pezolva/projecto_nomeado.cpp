#include "projecto_nomeado.h"

#include <cstdio>

namespace pezolva::cli {

std::optional<operacoes::Projecto> arranca_projecto_nomeado(const Argumentos& args) {
    const auto nome_projecto = args.valor("--project");
    if (!nome_projecto) throw UsoErrado{"falta --project NOME"};
    std::optional<operacoes::Projecto> projecto = operacoes::procura_projecto(*nome_projecto);
    if (!projecto) {
        std::fprintf(stderr, "pezolva: o projecto %s não está registado neste posto.\n", nome_projecto->c_str());
        return std::nullopt;
    }
    const std::string passwd = obtem_password(args, "Palavra-passe de " + projecto->nome_bd + ": ");
    if (operacoes::arranca_projecto(*projecto, passwd, true) != operacoes::Arranque::Pronto) return std::nullopt;
    return projecto;
}

}  // namespace pezolva::cli
