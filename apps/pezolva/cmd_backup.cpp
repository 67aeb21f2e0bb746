#include <cstdio>

#include "arranque.h"
#include "backup/execucao_copias.h"
#include "cli.h"
#include "comandos.h"
#include "common/text.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "project/projectos.h"
#include "copias_terminal.h"
#include "pezolva/mnt.h"
#include "register/percurso.h"

namespace pezolva::cli {

// Makes the project current as the launcher does (its register checked),
// then copies the chosen register rows with the same engine and run as the
// backup window.
int backup(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {"--due", "--all"});
    const auto nome_projecto = args.valor("--project");
    if (!nome_projecto) throw UsoErrado{"falta --project NOME"};
    if (args.tem("--due") + args.tem("--all") + !args.posicionais().empty() > 1) {
        throw UsoErrado{"escolha só um de --due, --all ou os nomes das bases de dados"};
    }
    EntradaProjecto entrada;
    bool encontrado = false;
    for (const auto& p : lista_projectos(servicos().settings)) {
        if (iequals(p.nome, *nome_projecto)) {
            entrada = p;
            encontrado = true;
        }
    }
    if (!encontrado) {
        std::fprintf(stderr, "pezolva: o projecto %s não está registado neste posto.\n",
                     nome_projecto->c_str());
        return kFalhou;
    }

    std::string passwd = obtem_password(args, "Palavra-passe de " + entrada.nome_bd + ": ");
    std::string caminho = entrada.caminho, projecto = entrada.nome, nome_bd = entrada.nome_bd,
                descr = entrada.descr;
    pezolva::mnt m;
    if (!arranca_projecto(m, caminho, projecto, nome_bd, descr, passwd, true)) return kFalhou;
    const ProjectoActual& actual = estado().projecto_actual;
    engine::Database principal =
        engine::OpenDatabase(actual.base_principal(), false, false, actual.ligacao());
    engine::Recordset registo = principal.OpenRecordset("select * from BUPS");

    std::vector<std::string> escolhidas;
    if (args.tem("--all")) {
        escolhidas = nomes_das_bases(registo);
    } else if (!args.posicionais().empty()) {
        escolhidas = args.posicionais();
    } else {
        escolhidas = bases_devidas(registo, servicos().clock.now());
        if (escolhidas.empty()) {
            std::printf("Não há cópias de segurança em atraso no projecto %s.\n",
                        projecto.c_str());
            return kSucesso;
        }
    }

    return corre_copias(actual, registo, escolhidas);
}

}  // namespace pezolva::cli
