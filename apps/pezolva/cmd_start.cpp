#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "arranque.h"
#include "backup/execucao_copias.h"
#include "cli.h"
#include "comandos.h"
#include "common/console_dialogs.h"
#include "copias_terminal.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "pezolva/mnt.h"
#include "register/percurso.h"
#include "register/lembrete.h"

namespace pezolva::cli {
namespace {

// The answer of --answer, or nullopt when none was given.
std::optional<int> resposta_dada(const Argumentos& args) {
    const auto dada = args.valor("--answer");
    if (!dada) return std::nullopt;
    if (*dada == "fazer") return kFazer;
    if (*dada == "nao-fazer") return kNaoFazer;
    if (*dada == "configurar") return kConfigurar;
    throw UsoErrado{"--answer aceita fazer, nao-fazer ou configurar"};
}

// Asks on the terminal: F, N or C (or the number of the option).
int pergunta_no_terminal() {
    std::fprintf(stderr, "Resposta [F/N/C, Enter para cancelar]: ");
    std::string linha;
    if (!std::getline(std::cin, linha) || linha.empty()) return kLembreteCancelado;
    switch (linha[0]) {
        case 'F': case 'f': case '1': return kFazer;
        case 'N': case 'n': case '2': return kNaoFazer;
        case 'C': case 'c': case '3': return kConfigurar;
        default: return kLembreteCancelado;
    }
}

// The reminder as the host's start shows it, answered from the command
// line or the terminal.  "Fazer" copies the due databases here; with no
// one to answer the question is only shown.
int lembrete(const Argumentos& args) {
    const ProjectoActual& actual = estado().projecto_actual;
    if (!actual.faz_copias) return kSucesso;
    engine::Database principal =
        engine::OpenDatabase(actual.base_principal(), false, false, actual.ligacao());
    engine::Recordset registo = principal.OpenRecordset("BUPS");
    if (!precisa_lembrete(registo, servicos().clock.now())) return kSucesso;

    const std::optional<int> dada = resposta_dada(args);
    const bool ha_terminal = ::isatty(STDIN_FILENO) != 0;
    ConsoleDialogs consola(stderr, {}, [&](const Choice&) {
        if (dada) return *dada;
        return ha_terminal ? pergunta_no_terminal() : int{kLembreteCancelado};
    });
    if (!dada && !ha_terminal) {
        std::fprintf(stderr, "%s: %s\n(sem resposta: nada foi feito; use --answer)\n",
                     pergunta_lembrete().title.c_str(), pergunta_lembrete().text.c_str());
        return kSucesso;
    }
    estado().resposta = consola.choose(pergunta_lembrete());
    switch (estado().resposta) {
        case kFazer:
            return corre_copias(actual, registo,
                                bases_devidas(registo, servicos().clock.now()));
        case kConfigurar:
            std::printf("A configuração das cópias de segurança faz-se no programa de "
                        "manutenção: pezolva, sem argumentos.\n");
            return kSucesso;
        default:
            return kSucesso;
    }
}

}  // namespace

int start(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--descr", "--password-file", "--answer"}, {});
    args.exige_posicionais(3, 3);
    resposta_dada(args);  // a wrong answer is wrong usage, before anything is done
    std::string caminho = args.posicionais()[0];
    std::string projecto = args.posicionais()[1];
    std::string nome_bd = args.posicionais()[2];
    std::string descr = args.valor("--descr").value_or("");
    std::string passwd = obtem_password(args, "Palavra-passe de " + nome_bd + ": ");
    pezolva::mnt m;
    if (!arranca_projecto(m, caminho, projecto, nome_bd, descr, passwd, false)) return kFalhou;
    return lembrete(args);
}

}  // namespace pezolva::cli
