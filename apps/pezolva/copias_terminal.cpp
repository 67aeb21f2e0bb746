#include "copias_terminal.h"

#include <csignal>
#include <cstdio>

#include "backup/copia_base_dados.h"
#include "backup/execucao_copias.h"
#include "cli.h"
#include "common/text.h"
#include "engine/interruption.h"
#include "interface/estado.h"
#include "progresso_terminal.h"

namespace pezolva::cli {
namespace {

std::string nome_sinal(int sinal) {
    switch (sinal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return std::to_string(sinal);
    }
}

void imprime_log(const char* titulo, const std::string& texto) {
    if (texto.empty()) return;
    std::printf("\n%s:\n%s\n", titulo, linhas_lf(texto).c_str());
}

}  // namespace

int corre_copias(const ProjectoActual& projecto, engine::Recordset& registo,
                 const std::vector<std::string>& escolhidas) {
    backup::LogsExecucao log;
    backup::FimExecucao fim;
    {
        ProgressoTerminal progresso(stdout);
        backup::CopiaBaseDados copia(servicos(), projecto, log, progresso);
        fim = backup::executa_copias(escolhidas, registo, copia, log, servicos().dialogs);
    }
    imprime_log("Registo", log.mensagens());
    imprime_log("Erros", log.erros());
    if (fim == backup::FimExecucao::Interrompida) {
        const int sinal = engine::interruption_requested();
        std::fprintf(stderr, "pezolva: cópia de segurança interrompida pelo sinal %s.\n", nome_sinal(sinal).c_str());
        return 128 + sinal;
    }
    if (fim == backup::FimExecucao::Concluida) std::printf("\nconcluido\n");
    return fim == backup::FimExecucao::Concluida ? kSucesso : kFalhou;
}

}  // namespace pezolva::cli
