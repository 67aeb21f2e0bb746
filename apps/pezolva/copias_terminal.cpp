#include "copias_terminal.h"

#include <csignal>
#include <cstdio>

#include "cli.h"
#include "pezolva/operacoes.h"
#include "progresso_terminal.h"

namespace pezolva::cli {

std::string nome_sinal(int sinal) {
    switch (sinal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return std::to_string(sinal);
    }
}

namespace {

void imprime_log(const char* titulo, const std::string& texto) {
    if (texto.empty()) return;
    std::printf("\n%s:\n%s\n", titulo, texto.c_str());
}

}  // namespace

int corre_copias(const std::vector<std::string>& escolhidas) {
    operacoes::ResultadoCopias r;
    {
        ProgressoTerminal progresso(stdout);
        r = operacoes::copia_bases(escolhidas, progresso.callbacks());
    }
    imprime_log("Registo", r.mensagens);
    imprime_log("Erros", r.erros);
    if (r.fim == operacoes::FimCopias::Interrompida) {
        std::fprintf(stderr, "pezolva: cópia de segurança interrompida pelo sinal %s.\n",
                     nome_sinal(r.sinal).c_str());
        return 128 + r.sinal;
    }
    if (r.fim == operacoes::FimCopias::Concluida) std::printf("\nconcluido\n");
    return r.fim == operacoes::FimCopias::Concluida ? kSucesso : kFalhou;
}

}  // namespace pezolva::cli
