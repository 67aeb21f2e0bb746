// The off-site step of a backup: what a second backup sends to a restic
// repository after 1 % of the largest table's rows changed, and what the
// step adds to the backup's time.  Builds (or reuses) a test project of
// about 1 GB in FOLDER/projecto, registers it in a settings folder of its
// own, then, each as "pezolva backup --project NAME brasol.mdb" in a child
// process:
//  1. a backup with the copies kept local only (the yardstick);
//  2. a repository made in FOLDER/repo, and the first backup that sends;
//  3. 1 % of the rows of the largest table changed in one block of
//     consecutive rows, and a backup;
//  4. 1 % of its rows changed at random across it (every page touched,
//     the worst case), and a backup.
// For each: the wall time, the bytes restic added to the repository (the
// run's own summary line) and their share of the first backup's.  The
// off-site step's time is the backup's less the local yardstick's.
//
// Usage: bench_offsite FOLDER [--bytes N]
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "medicao.h"
#include "relata_falha.h"
#include "testproject/projecto_teste.h"

namespace fs = std::filesystem;
namespace tp = pezolva::testproject;

namespace {

using namespace bench;

constexpr const char* kProjecto = "bench_offsite";

struct Passo {
    std::string nome;
    double segundos = 0;
    double bytes_novos = 0;
};

// "… : 3 cópia(s), 1 234 567 bytes novos." of the run's messages.
double bytes_novos(const std::string& saida) {
    const std::size_t fim = saida.rfind(" bytes novos.");
    const std::size_t virgula = saida.rfind("cópia(s), ", fim);
    if (fim == std::string::npos || virgula == std::string::npos) return -1;
    std::string digitos;
    for (std::size_t i = virgula + 11; i < fim; ++i) {
        if (saida[i] >= '0' && saida[i] <= '9') digitos += saida[i];
    }
    return std::atof(digitos.c_str());
}

Child corre(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const fs::path& saida) {
    Child c = run(args, env, saida);
    if (!succeeded(c)) throw std::runtime_error(args[1] + " falhou:\n" + c.output);
    return c;
}

Passo copia(const std::string& nome, const std::vector<std::string>& env, const fs::path& saida) {
    const Child c =
        corre({launcher(), "backup", "--project", kProjecto, tp::kPrincipal}, env, saida);
    return {nome, c.seconds, bytes_novos(c.output)};
}

void executa(sqlite3* db, const std::string& sql) {
    char* erro = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
        const std::string e = erro ? erro : "?";
        sqlite3_free(erro);
        throw std::runtime_error(sql + ": " + e);
    }
}

std::string texto(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    std::string r;
    if (s && sqlite3_step(s) == SQLITE_ROW && sqlite3_column_text(s, 0)) {
        r = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    }
    sqlite3_finalize(s);
    return r;
}

// Changes 1 % of the rows of the largest table: a numeric column of each
// row (no key, no reference to another table) one up, in one block of
// rows or at random.
void muda_1_por_cento(const fs::path& base, bool em_bloco) {
    sqlite3* db = nullptr;
    sqlite3_open(base.c_str(), &db);
    std::string tabela;
    long long maior = -1;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        db, "select name from sqlite_master where type='table' and name not like 'sqlite%'", -1, &s,
        nullptr);
    std::vector<std::string> tabelas;
    while (sqlite3_step(s) == SQLITE_ROW)
        tabelas.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    for (const std::string& t : tabelas) {
        const long long n = std::atoll(texto(db, "select count(*) from \"" + t + "\"").c_str());
        if (n > maior) maior = n, tabela = t;
    }
    const std::string coluna = texto(
        db, "select name from pragma_table_info('" + tabela +
                "') where pk = 0 and name not in (select \"from\" from pragma_foreign_key_list('" +
                tabela +
                "')) and (type like '%INT%' or type like '%REAL%' or type like '%DOUB%' "
                "or type like '%NUM%' or type like '%CURR%') limit 1");
    if (coluna.empty()) throw std::runtime_error("sem coluna numérica em " + tabela);
    const long long n = std::max(1LL, maior / 100);
    const std::string onde = em_bloco ? "rowid in (select rowid from \"" + tabela +
                                            "\" order by rowid limit " + std::to_string(n) +
                                            " offset " + std::to_string(maior / 2) + ")"
                                      : "abs(random()) % 100 = 0";
    executa(db, "update \"" + tabela + "\" set \"" + coluna + "\" = coalesce(\"" + coluna +
                    "\", 0) + 1 where " + onde);
    std::printf("  %s: %lld linhas de %s (coluna %s) mudadas %s\n",
                em_bloco ? "bloco" : "aleatório", static_cast<long long>(sqlite3_changes(db)),
                tabela.c_str(), coluna.c_str(), em_bloco ? "num bloco" : "ao acaso");
    sqlite3_close(db);
}

int usage(const char* p) {
    std::fprintf(stderr, "uso: %s PASTA [--bytes N]\n", p);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return usage(argv[0]);
    const fs::path pasta = fs::absolute(argv[1]);
    tp::Opcoes opcoes;
    opcoes.bytes = 1'000'000'000;
    for (int k = 2; k < argc; ++k) {
        if (std::string(argv[k]) == "--bytes" && k + 1 < argc) {
            opcoes.bytes = std::atoll(argv[++k]);
        } else {
            return usage(argv[0]);
        }
    }
    try {
        const std::string carga_antes = load_average();
        const tp::Projecto p = tp::reutiliza_ou_cria((pasta / "projecto").string(), opcoes);
        fs::create_directories(pasta / "config/pelvor");
        std::ofstream(pasta / "config/pelvor" / (std::string(kProjecto) + ".ini"))
            << "[setup]\nORIGEM=PRINCIPAL\n";
        std::ofstream(pasta / "repo.pw") << "frase-do-repositorio-de-ensaio\n";
        const std::vector<std::string> env = {
            "XDG_CONFIG_HOME=" + (pasta / "config").string(),
            "XDG_DATA_HOME=" + (pasta / "data").string(),
            std::string("PEZOLVA_PASSWORD=") + tp::kPassePrincipal};
        const fs::path saida = pasta / "saida.txt";
        corre({launcher(), "start", p.pasta, kProjecto, tp::kPrincipal}, env, saida);
        fs::remove(fs::path(p.pasta) / "pezolva_offsite.ini");
        fs::remove_all(pasta / "repo");
        remove_all_in(fs::path(p.pasta) / "copiaseg");

        const Passo local = copia("local apenas", env, saida);
        corre({launcher(), "offsite", "init", (pasta / "repo").string(), "--repo-password-file",
               (pasta / "repo.pw").string(), "--project", kProjecto},
              env, saida);
        std::vector<Passo> passos{copia("primeira", env, saida)};
        muda_1_por_cento(p.principal.caminho, true);
        passos.push_back(copia("1 % em bloco", env, saida));
        muda_1_por_cento(p.principal.caminho, false);
        passos.push_back(copia("1 % ao acaso", env, saida));

        std::printf("\nbrasol.mdb: %.0f MB; cópia só local: %.2f s\n",
                    static_cast<double>(fs::file_size(p.principal.caminho)) / 1e6, local.segundos);
        std::printf("  %-14s %9s %10s %14s %10s %10s\n", "cópia", "tempo", "+ fora", "bytes novos",
                    "/primeira", "+fora/local");
        for (const Passo& s : passos) {
            const double fora = s.segundos - local.segundos;
            std::printf("  %-14s %8.2fs %9.2fs %14.0f %9.2f%% %10.2f\n", s.nome.c_str(), s.segundos,
                        fora, s.bytes_novos, 100 * s.bytes_novos / passos[0].bytes_novos,
                        fora / local.segundos);
        }
        std::printf("carga antes / depois: %s / %s\n", carga_antes.c_str(), load_average().c_str());
    } catch (const std::exception& e) {
        return relata_falha(e);
    }
    return 0;
}
