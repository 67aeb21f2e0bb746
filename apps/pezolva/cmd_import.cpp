#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli.h"
#include "comandos.h"
#include "copias_terminal.h"
#include "json.h"
#include "pezolva/importacao.h"

namespace pezolva::cli {
namespace {

std::string ficheiro_json(const importacao::Ficheiro& f) {
    return "{\"nome\": " + texto_json(f.nome) + ", \"tabelas\": " + std::to_string(f.tabelas) +
           ", \"linhas\": " + std::to_string(f.linhas) +
           ", \"indices\": " + std::to_string(f.indices) +
           ", \"relacoes\": " + std::to_string(f.relacoes) +
           ", \"nao_transportado\": " + lista_json(f.nao_transportado) + "}";
}

std::string relatorio_json(const importacao::Pedido& p, const importacao::Relatorio& r) {
    std::string ficheiros = "[";
    for (std::size_t i = 0; i < r.ficheiros.size(); ++i)
        ficheiros += (i ? ",\n  " : "\n  ") + ficheiro_json(r.ficheiros[i]);
    ficheiros += r.ficheiros.empty() ? "]" : "\n ]";
    char segundos[32];
    std::snprintf(segundos, sizeof segundos, "%.3f", r.segundos);
    return "{\"projecto\": " + texto_json(p.projecto) + ",\n \"origem\": " + texto_json(p.origem) +
           ",\n \"destino\": " + texto_json(p.destino) +
           ",\n \"sucesso\": " + (r.sucesso ? "true" : "false") +
           ",\n \"erro\": " + texto_json(r.erro) + ",\n \"ficheiros\": " + ficheiros +
           ",\n \"pastas_a_rever\": " + lista_json(r.pastas_a_rever) +
           ",\n \"avisos\": " + lista_json(r.avisos) + ",\n \"segundos\": " + segundos + "}";
}

void mostra(const importacao::Relatorio& r) {
    for (const importacao::Ficheiro& f : r.ficheiros) {
        std::printf("%s: %d tabelas, %lld linhas, %d índices, %d relações\n", f.nome.c_str(),
                    f.tabelas, static_cast<long long>(f.linhas), f.indices, f.relacoes);
        for (const std::string& n : f.nao_transportado)
            std::printf("  não transportado: %s\n", n.c_str());
    }
    if (!r.pastas_a_rever.empty()) {
        std::printf(
            "Pastas do registo fora do projecto, a indicar de novo na configuração das cópias:\n");
        for (const std::string& p : r.pastas_a_rever) std::printf("  %s\n", p.c_str());
    }
    std::printf("Importação concluída em %.1f s.\n", r.segundos);
}

}  // namespace

// Brings a project over from the original platform's files, writes it
// whole or not at all, and registers it on this workstation.
int import(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--main", "--password-file"}, {"--json"});
    args.exige_posicionais(2, 2);
    importacao::Pedido pedido;
    pedido.origem = args.posicionais()[0];
    pedido.destino = args.posicionais()[1];
    const auto projecto = args.valor("--project");
    if (!projecto || projecto->empty()) throw UsoErrado{"falta --project NOME"};
    pedido.projecto = *projecto;
    pedido.principal = args.valor("--main").value_or("");
    pedido.palavra_passe =
        obtem_password(args, "Palavra-passe da base de dados principal" +
                                 (pedido.principal.empty() ? "" : " " + pedido.principal) + ": ");
    const bool json = args.tem("--json");
    // Progress on one line that rewrites itself, only where someone watches.
    const bool terminal = !json && ::isatty(STDERR_FILENO) != 0;
    const importacao::Relatorio r = importacao::importa(
        pedido,
        [terminal](const std::string& ficheiro, const std::string& tabela, std::int64_t linhas) {
            if (!terminal) return;
            std::fprintf(stderr, "\r%s: %s, %lld linhas\033[K", ficheiro.c_str(), tabela.c_str(),
                         static_cast<long long>(linhas));
        });
    if (terminal) std::fprintf(stderr, "\r\033[K");
    for (const std::string& aviso : r.avisos)
        std::fprintf(stderr, "pezolva: aviso: %s\n", aviso.c_str());
    if (r.sinal != 0) {
        std::fprintf(
            stderr, "pezolva: importação interrompida pelo sinal %s; %s.\n",
            nome_sinal(r.sinal).c_str(),
            r.sucesso ? "o projecto já estava importado e registado" : "nada ficou no destino");
        return 128 + r.sinal;
    }
    if (json)
        std::printf("%s\n", relatorio_json(pedido, r).c_str());
    else if (r.sucesso)
        mostra(r);
    if (!r.sucesso) std::fprintf(stderr, "pezolva: %s\n", r.erro.c_str());
    return r.sucesso ? kSucesso : kFalhou;
}

}  // namespace pezolva::cli
