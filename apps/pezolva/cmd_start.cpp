#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli.h"
#include "comandos.h"
#include "copias_terminal.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {
namespace {

constexpr int kSemResposta = -1;

// The answer of --answer, or nullopt when none was given.
std::optional<int> resposta_dada(const Argumentos& args) {
    const auto dada = args.valor("--answer");
    if (!dada) return std::nullopt;
    if (*dada == "fazer") return operacoes::kFazer;
    if (*dada == "nao-fazer") return operacoes::kNaoFazer;
    if (*dada == "configurar") return operacoes::kConfigurar;
    throw UsoErrado{"--answer aceita fazer, nao-fazer ou configurar"};
}

// Asks on the terminal: F, N or C (or the number of the option).
int pergunta_no_terminal() {
    std::fprintf(stderr, "Resposta [F/N/C, Enter para cancelar]: ");
    std::string linha;
    if (!std::getline(std::cin, linha) || linha.empty()) return kSemResposta;
    switch (linha[0]) {
        case 'F':
        case 'f':
        case '1':
            return operacoes::kFazer;
        case 'N':
        case 'n':
        case '2':
            return operacoes::kNaoFazer;
        case 'C':
        case 'c':
        case '3':
            return operacoes::kConfigurar;
        default:
            return kSemResposta;
    }
}

// Shows the question on standard error, takes the answer from `dada` or
// the terminal, and shows it: "Cancelar" when there is none.
int pergunta(const operacoes::Lembrete& l, std::optional<int> dada) {
    std::string opcoes;
    for (const std::string& o : l.respostas) opcoes += (opcoes.empty() ? "" : " / ") + o;
    std::fprintf(stderr, "%s: %s [%s]\n", l.titulo.c_str(), l.texto.c_str(), opcoes.c_str());
    const int resposta = dada ? *dada : pergunta_no_terminal();
    const bool valida = resposta >= 0 && resposta < static_cast<int>(l.respostas.size());
    std::fprintf(stderr, "  -> %s\n",
                 valida ? l.respostas[static_cast<std::size_t>(resposta)].c_str() : "Cancelar");
    return valida ? resposta : kSemResposta;
}

// The reminder as the host's start shows it, answered from the command
// line or the terminal.  "Fazer" copies the due databases here; with no
// one to answer the question is only shown.
int lembrete(const Argumentos& args) {
    const operacoes::Lembrete l = operacoes::lembrete();
    if (!l.perguntar) return kSucesso;
    const std::optional<int> dada = resposta_dada(args);
    if (!dada && ::isatty(STDIN_FILENO) == 0) {
        std::fprintf(stderr, "%s: %s\n(sem resposta: nada foi feito; use --answer)\n",
                     l.titulo.c_str(), l.texto.c_str());
        return kSucesso;
    }
    switch (pergunta(l, dada)) {
        case operacoes::kFazer:
            return corre_copias(l.devidas);
        case operacoes::kConfigurar:
            std::printf(
                "A configuração das cópias de segurança faz-se no programa de "
                "manutenção: pezolva, sem argumentos.\n");
            return kSucesso;
        default:
            return kSucesso;
    }
}

// The description to register: --descr when given, else the one the
// project already has, so that a start that does not mention it leaves it
// as it was (a new project gets none).
std::string descricao(const Argumentos& args, const std::string& nome) {
    if (const auto dada = args.valor("--descr")) return *dada;
    const std::optional<operacoes::Projecto> registado = operacoes::procura_projecto(nome);
    return registado ? registado->descr : std::string();
}

}  // namespace

int start(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--descr", "--password-file", "--answer"}, {});
    args.exige_posicionais(3, 3);
    resposta_dada(args);  // a wrong answer is wrong usage, before anything is done
    operacoes::Projecto projecto;
    projecto.caminho = args.posicionais()[0];
    projecto.nome = args.posicionais()[1];
    projecto.nome_bd = args.posicionais()[2];
    projecto.descr = descricao(args, projecto.nome);
    const std::string passwd = obtem_password(args, "Palavra-passe de " + projecto.nome_bd + ": ");
    if (operacoes::arranca_projecto(projecto, passwd, false) != operacoes::Arranque::Pronto) {
        return kFalhou;
    }
    return lembrete(args);
}

}  // namespace pezolva::cli
