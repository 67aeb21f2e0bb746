#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "pezolva/compactacao.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// Makes the project current, then runs its workstation set-up program and
// waits for it to end.
int reinstall(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {});
    args.exige_posicionais(0, 0);
    const auto nome_projecto = args.valor("--project");
    if (!nome_projecto) throw UsoErrado{"falta --project NOME"};
    const std::optional<operacoes::Projecto> projecto = operacoes::procura_projecto(*nome_projecto);
    if (!projecto) {
        std::fprintf(stderr, "pezolva: o projecto %s não está registado neste posto.\n", nome_projecto->c_str());
        return kFalhou;
    }
    const std::string passwd = obtem_password(args, "Palavra-passe de " + projecto->nome_bd + ": ");
    if (operacoes::arranca_projecto(*projecto, passwd, true) != operacoes::Arranque::Pronto) return kFalhou;
    std::printf("A executar %s/setupposto/setup; por favor, aguarde.\n", projecto->caminho.c_str());
    std::fflush(stdout);
    if (!operacoes::reinstala_posto()) return kFalhou;
    std::printf("O programa de instalação terminou.\n");
    return kSucesso;
}

}  // namespace pezolva::cli
