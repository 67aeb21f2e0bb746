// The verification of a pair of large schemas: two files of 1 500 tables
// (10 fields and 2 indexes each, one relation every other table), the
// database and its structure, registered as a project of their own.
// Measured, each as the median of --runs runs:
//   1. "pezolva verify --project bench-verify" as a child process (what a
//      user waits for, program start included);
//   2. the run alone, in this process (both schemas read and compared);
//   3. the count pass the window adds when it loads;
//   4. the full window: load (count pass) and "Verificar", off screen;
//   5. the start of the project without a sample (actualiza_path).
//
// Usage: bench_verify FOLDER [--runs N] [--tabelas N]
// The folder keeps the files (and the launcher's settings) for later runs.
#include <sys/wait.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "integrity/execucao.h"
#include "integrity/ui/ver_integridade.h"
#include "interface/estado.h"
#include "pezolva/mnt.h"
#include "relata_falha.h"
#include "tempo.h"

namespace {

namespace fs = std::filesystem;
using pezolva::integrity::EstadoVerificacao;
using pezolva::integrity::Relatorio;

std::string esquema(int tabelas) {
    std::string sql =
        "create table parametros (versao TEXT(20)); insert into parametros values ('1');";
    for (int t = 0; t < tabelas; ++t) {
        const std::string n = "tabela_" + std::to_string(t);
        sql += "create table " + n + " (id INTEGER PRIMARY KEY";
        for (int c = 1; c < 10; ++c)
            sql += ", campo_" + std::to_string(c) + (c % 2 ? " TEXT(40)" : " LONG");
        if (t % 2 == 1)
            sql += ", constraint rel_" + n + " foreign key (campo_2) references tabela_" +
                   std::to_string(t - 1) + "(id)";
        sql += "); create index ix1_" + n + " on " + n + "(campo_1); ";
    }
    return sql;
}

// The pair and its register, unless the folder already has them.
void prepara(const std::string& pasta, int tabelas) {
    if (fs::exists(pasta + "/grande.ebd")) return;
    fs::create_directories(pasta);
    const std::string sql = esquema(tabelas);
    for (const char* nome : {"grande.mdb.tmp", "grande.ebd.tmp"}) {
        pezolva::engine::Database db = pezolva::engine::CreateDatabase(pasta + "/" + nome);
        db.Execute("begin;" + sql + "commit;");
    }
    pezolva::engine::OpenDatabase(pasta + "/grande.mdb.tmp")
        .Execute(
            "create table BUPS (BUP_NOME_BD TEXT(255), BUP_ULT_NOME_ESTRUTURA TEXT(255), "
            "BUP_PASSWD TEXT(20));"
            "insert into BUPS values ('grande.mdb', 'grande.ebd', NULL);");
    fs::rename(pasta + "/grande.mdb.tmp", pasta + "/grande.mdb");
    fs::rename(pasta + "/grande.ebd.tmp", pasta + "/grande.ebd");
}

int corre(const std::string& comando) {
    const int estado = std::system(comando.c_str());
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "uso: %s PASTA [--runs N] [--tabelas N]\n", argv[0]);
        return 2;
    }
    const std::string pasta = fs::absolute(argv[1]).string();
    int runs = 5, tabelas = 1500;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::string(argv[i]) == "--tabelas") tabelas = std::max(1, std::atoi(argv[i + 1]));
    }
    setenv("XDG_CONFIG_HOME", (pasta + "/config").c_str(), 1);
    setenv("PEZOLVA_PASSWORD", "", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    try {
        prepara(pasta, tabelas);
        const std::string lancador = std::string("'") + PEZOLVA_LAUNCHER + "'";
        if (corre(lancador + " start '" + pasta + "' bench-verify grande.mdb >/dev/null 2>&1") !=
            0) {
            std::fprintf(stderr, "o arranque do projecto falhou\n");
            return 1;
        }
        pezolva::ProjectoActual projecto;
        projecto.caminho = pasta;
        projecto.projecto = "bench-verify";
        projecto.nome_bd = "grande.mdb";

        std::vector<double> verify, execucao, contagem, janela, arranque;
        for (int r = 0; r < runs; ++r) {
            int saida = 0;
            verify.push_back(bench::seconds(
                [&] { saida = corre(lancador + " verify --project bench-verify >/dev/null"); }));
            if (saida != 0) std::fprintf(stderr, "pezolva verify saiu com %d\n", saida);
            execucao.push_back(bench::seconds([&] {
                EstadoVerificacao e;
                Relatorio rel;
                pezolva::integrity::verifica_projecto(projecto, e, rel);
            }));
            contagem.push_back(bench::seconds([&] {
                EstadoVerificacao e;
                Relatorio rel;
                pezolva::engine::Database db =
                    pezolva::engine::OpenDatabase(projecto.base_principal(), false, true);
                pezolva::integrity::Verificacao v(pasta, e, rel);
                v.conta_objectos(*v.carrega_bups(db));
            }));
            janela.push_back(bench::seconds([&] {
                pezolva::ver_integridade j(projecto);
                j.carrega_projecto();
                j.show();
                j.verifica();
            }));
            arranque.push_back(bench::seconds([&] {
                std::string c = pasta, n = "bench-verify", bd = "grande.mdb", d, w;
                bool lancador_flag = false;
                pezolva::mnt().actualiza_path(c, n, bd, d, w, lancador_flag);
            }));
        }
        std::printf("%d tabelas por base, %d execuções (medianas):\n", tabelas, runs);
        std::printf("  pezolva verify (processo)          %.3f s\n", bench::median(verify));
        std::printf("  verificação sem janela             %.3f s\n", bench::median(execucao));
        std::printf("  contagem da janela ao carregar     %.3f s\n", bench::median(contagem));
        std::printf("  janela completa (carga + Verificar) %.3f s\n", bench::median(janela));
        std::printf("  actualiza_path sem amostra         %.3f s\n", bench::median(arranque));
    } catch (const std::exception& e) {
        return relata_falha(e);
    }
    return 0;
}
