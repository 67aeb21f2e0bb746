#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "comandos.h"
#include "copias_terminal.h"
#include "pezolva/offsite.h"
#include "pezolva/reposicao.h"
#include "projecto_terminal.h"

namespace pezolva::cli {
namespace {

enum class Confirmacao { Sim, Nao, SemTerminal };

// The window's question, answered on the terminal ("Não" unless "s"), or
// by --yes.  Without either it is only shown.
Confirmacao confirma(const Argumentos& args, const operacoes::CopiaListada& c) {
    std::fprintf(stderr, "Atenção: repor %s (%s, %s) sobre %s.mdb do projecto.\n%s\n",
                 c.nome_fich.c_str(), c.bd.c_str(), c.data.c_str(), c.bd.c_str(),
                 operacoes::pergunta_reposicao().c_str());
    if (args.tem("--yes")) {
        std::fprintf(stderr, "  -> Sim (--yes)\n");
        return Confirmacao::Sim;
    }
    if (::isatty(STDIN_FILENO) == 0) {
        std::fprintf(stderr, "(sem resposta: nada foi alterado; use --yes)\n");
        return Confirmacao::SemTerminal;
    }
    std::fprintf(stderr, "Resposta [s = Sim, n = Não, c = Cancelar; Enter = Não]: ");
    std::string linha;
    const bool sim =
        std::getline(std::cin, linha) && !linha.empty() && (linha[0] == 's' || linha[0] == 'S');
    std::fprintf(stderr, "  -> %s\n", sim ? "Sim" : "Não");
    return sim ? Confirmacao::Sim : Confirmacao::Nao;
}

}  // namespace

// The copy `nome` of the off-site repository (the newest of that name);
// nullopt when there is none.
std::optional<operacoes::CopiaFora> copia_de_fora(const std::string& nome) {
    for (const operacoes::CopiaFora& c : operacoes::lista_copias_fora()) {
        if (c.nome_fich == nome) return c;
    }
    return std::nullopt;
}

int repoe_de_fora(const Argumentos& args, const operacoes::CopiaFora& c) {
    const operacoes::CopiaListada mostrada{c.nome_fich,   c.bd, c.data, c.carimbo,
                                           c.repositorio, "",   0};
    std::fprintf(stderr, "A cópia %s vem do repositório %s.\n", c.nome_fich.c_str(),
                 c.repositorio.c_str());
    if (confirma(args, mostrada) != Confirmacao::Sim) return kFalhou;
    if (const auto falha = operacoes::repoe_de_fora(c)) {
        std::fprintf(stderr, "%s\n", falha->c_str());
        return kFalhou;
    }
    std::printf("Cópia concluida\n");
    return kSucesso;
}

// Replaces a database of the project by one of its copies, as "Repor" does
// in the restore window; a copy found only off-site is fetched first.
int restore(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {"--yes"});
    args.exige_posicionais(1, 1);
    if (!arranca_projecto_indicado(args, true)) return kFalhou;
    const std::string& nome = args.posicionais()[0];
    const std::optional<operacoes::CopiaListada> copia = operacoes::procura_copia(nome);
    if (!copia && nome.find('/') == std::string::npos) {
        if (const auto fora = copia_de_fora(nome)) return repoe_de_fora(args, *fora);
    }
    if (!copia) {
        std::fprintf(stderr,
                     "pezolva: %s não é uma cópia de segurança de uma base de dados do projecto "
                     "(veja pezolva copies).\n",
                     nome.c_str());
        return kFalhou;
    }
    if (confirma(args, *copia) != Confirmacao::Sim) return kFalhou;
    const operacoes::ResultadoReposicao r = operacoes::repoe(*copia);
    if (r.sinal != 0) {
        std::fprintf(stderr, "pezolva: reposição interrompida pelo sinal %s; %s.\n",
                     nome_sinal(r.sinal).c_str(),
                     r.falha ? "a base de dados ficou como estava"
                             : "a cópia já tinha substituído a base de dados");
        return 128 + r.sinal;
    }
    if (r.falha) {
        std::fprintf(stderr, "%s\n", r.falha->c_str());
        return kFalhou;
    }
    std::printf("%s\n", r.mensagem.c_str());
    return kSucesso;
}

}  // namespace pezolva::cli
