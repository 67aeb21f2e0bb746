#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "copias_terminal.h"
#include "projecto_terminal.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {
namespace {

// The databases the command line names: every registered one (--all), the
// positional names, or those due now (the default).
std::vector<std::string> escolhidas(const Argumentos& args) {
    if (!args.tem("--all") && !args.posicionais().empty()) return args.posicionais();
    std::vector<std::string> nomes;
    for (const operacoes::BaseRegistada& base : operacoes::registo_copias()) {
        if (args.tem("--all") || base.devida) nomes.push_back(base.nome_bd);
    }
    return nomes;
}

}  // namespace

// Makes the project current as the launcher does (its register checked),
// then copies the chosen databases with the same engine and run as the
// backup window.
int backup(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {"--due", "--all"});
    if (!args.valor("--project")) throw UsoErrado{"falta --project NOME"};
    if (args.tem("--due") + args.tem("--all") + !args.posicionais().empty() > 1) {
        throw UsoErrado{"escolha só um de --due, --all ou os nomes das bases de dados"};
    }
    const std::optional<operacoes::Projecto> projecto = arranca_projecto_indicado(args);
    if (!projecto) return kFalhou;
    const std::vector<std::string> nomes = escolhidas(args);
    if (nomes.empty() && args.posicionais().empty() && !args.tem("--all")) {
        std::printf("Não há cópias de segurança em atraso no projecto %s.\n",
                    projecto->nome.c_str());
        return kSucesso;
    }
    return corre_copias(nomes);
}

}  // namespace pezolva::cli
