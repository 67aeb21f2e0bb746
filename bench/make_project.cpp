// Builds a test project and reports what it cost: the wall time, the size
// of the main database, the rows of every table and the peak memory.  The
// backup benchmark reuses the project it leaves.
//
// Usage: bench_make_project FOLDER [--bytes N] [--linhas N] [--semente N]
//                           [--chaves-na-carga] [--indices-na-carga] [--sem-estruturas]
// --bytes aims the main database at N bytes (about 1 GB by default);
// --linhas gives the rows of the largest tables instead.  The last two
// switches choose the slower ways of loading, for comparison.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "engine/error.h"
#include "relata_falha.h"
#include "testproject/projecto_teste.h"

namespace tp = pezolva::testproject;

namespace {

bool numero(const char* texto, std::int64_t& valor) {
    char* fim = nullptr;
    const long long v = std::strtoll(texto, &fim, 10);
    if (fim == texto || *fim != '\0' || v < 0) return false;
    valor = v;
    return true;
}

int uso(const char* programa) {
    std::fprintf(stderr,
                 "uso: %s PASTA [--bytes N] [--linhas N] [--semente N] [--chaves-na-carga] "
                 "[--indices-na-carga] [--sem-estruturas]\n",
                 programa);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A folder is never taken from something that reads as an option.
    if (argc < 2 || argv[1][0] == '-') return uso(argv[0]);
    const std::string pasta = argv[1];
    tp::Opcoes opcoes;
    opcoes.bytes = 1'000'000'000;
    for (int k = 2; k < argc; ++k) {
        const std::string a = argv[k];
        std::int64_t v = 0;
        if ((a == "--bytes" || a == "--linhas" || a == "--semente") && k + 1 < argc &&
            numero(argv[k + 1], v)) {
            ++k;
            if (a == "--bytes") opcoes.bytes = v;
            if (a == "--linhas") opcoes.bytes = 0, opcoes.linhas = v;
            if (a == "--semente") opcoes.semente = static_cast<std::uint64_t>(v);
        } else if (a == "--chaves-na-carga") {
            opcoes.chaves_na_carga = true;
        } else if (a == "--indices-na-carga") {
            opcoes.indices_na_carga = true;
        } else if (a == "--sem-estruturas") {
            opcoes.estruturas = false;
        } else {
            return uso(argv[0]);
        }
    }
    opcoes.progresso = [](const tp::Etapa& e) {
        std::printf("  %-18s %-34s %12lld linhas %8.2f s\n", e.ficheiro.c_str(),
                    e.descricao.c_str(), static_cast<long long>(e.linhas), e.segundos);
        std::fflush(stdout);
    };

    const std::int64_t linhas =
        opcoes.bytes > 0 ? tp::linhas_para_bytes(opcoes.bytes) : opcoes.linhas;
    std::printf("Projecto de teste em %s: %lld linhas nas maiores tabelas%s%s\n", pasta.c_str(),
                static_cast<long long>(linhas), opcoes.chaves_na_carga ? ", relações na carga" : "",
                opcoes.indices_na_carga ? ", índices antes das linhas" : "");
    const auto inicio = std::chrono::steady_clock::now();
    tp::Projecto projecto;
    try {
        projecto = tp::cria_projecto(pasta, opcoes);
    } catch (const std::exception& e) {
        return relata_falha(e);
    }
    const double segundos =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();

    std::int64_t total = 0;
    for (const tp::BaseDados* bd : projecto.bases()) {
        std::int64_t da_base = 0;
        for (const auto& [tabela, n] : bd->linhas) da_base += n;
        total += da_base;
        std::printf("%s: %.1f MB, %lld linhas\n", bd->caminho.c_str(),
                    std::filesystem::file_size(bd->caminho) / 1e6, static_cast<long long>(da_base));
        for (const auto& [tabela, n] : bd->linhas)
            std::printf("  %-24s %12lld\n", tabela.c_str(), static_cast<long long>(n));
    }
    rusage uso_recursos{};
    getrusage(RUSAGE_SELF, &uso_recursos);
    const std::string pedidos =
        opcoes.bytes > 0 ? " (pedidos " + std::to_string(opcoes.bytes / 1'000'000) + " MB)" : "";
    std::printf(
        "tempo total %.1f s; base principal %.1f MB%s; %lld linhas em todas as tabelas; "
        "memória máxima %.1f MiB\n",
        segundos, std::filesystem::file_size(projecto.principal.caminho) / 1e6, pedidos.c_str(),
        static_cast<long long>(total), uso_recursos.ru_maxrss / 1024.0);
    return 0;
}
