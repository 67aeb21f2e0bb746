#include <cstdio>

#include "comandos.h"
#include "pezolva/compactacao.h"
#include "projecto_nomeado.h"

namespace pezolva::cli {

// Makes the project current, then runs its workstation set-up program and
// waits for it to end.
int reinstall(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {});
    args.exige_posicionais(0, 0);
    const std::optional<operacoes::Projecto> projecto = arranca_projecto_nomeado(args);
    if (!projecto) return kFalhou;
    std::printf("A executar %s/setupposto/setup; por favor, aguarde.\n", projecto->caminho.c_str());
    std::fflush(stdout);
    if (!operacoes::reinstala_posto()) return kFalhou;
    std::printf("O programa de instalação terminou.\n");
    return kSucesso;
}

}  // namespace pezolva::cli
