#include "compactacao_terminal.h"

#include <cstdio>

#include "cli.h"
#include "pezolva/compactacao.h"

namespace pezolva::cli {

int corre_compactacao(const std::optional<std::string>& nome_bd) {
    const auto anuncia = [](const std::string& base) {
        std::printf("A compactar %s... ", base.c_str());
        std::fflush(stdout);
    };
    const auto mostra = [](const operacoes::BaseCompactada& b) {
        if (b.compactada) {
            std::printf("compactada; a base antiga ficou em %s\n", b.antiga.c_str());
        } else {
            std::printf("não foi compactada: %s\n", b.causa.c_str());
        }
        std::fflush(stdout);
    };
    const operacoes::ResultadoCompactacao r = operacoes::compacta_bases(nome_bd, anuncia, mostra);
    if (r.sinal != 0) {
        std::fprintf(stderr, "pezolva: compactação interrompida pelo sinal %d.\n", r.sinal);
        return 128 + r.sinal;
    }
    for (const operacoes::BaseCompactada& b : r.bases) {
        if (!b.compactada) return kFalhou;
    }
    return kSucesso;
}

}  // namespace pezolva::cli
