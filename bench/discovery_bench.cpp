// The search of the restore window over a crowded copies folder: a test
// project whose register has 3 rows, all pointing at a folder of N files
// (copies of the three databases, and other files), searched as the
// window searches when it opens (folders from the register, every folder
// for every row, the list sorted).  Prints the median of K searches, and
// beside it the median of listing that folder once, the floor.
//
// Usage: bench_discovery FOLDER [--files N] [--runs K]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "common/scripted_dialogs.h"
#include "common/settings_store.h"
#include "engine/database.h"
#include "register/valida_bups.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"
#include "tempo.h"
#include "testproject/projecto_teste.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
    using namespace pezolva;
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Uso: bench_discovery PASTA [--files N] [--runs K]\n");
        return 2;
    }
    const std::string pasta = argv[1];
    int ficheiros = 10000, vezes = 7;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--files") ficheiros = std::atoi(argv[i + 1]);
        if (std::string(argv[i]) == "--runs") vezes = std::atoi(argv[i + 1]);
    }
    std::filesystem::remove_all(pasta);
    testproject::Opcoes opcoes;
    opcoes.linhas = 5;
    const auto teste = testproject::cria_projecto(pasta + "/proj", opcoes);
    LocalFileSystem files;
    ScriptedDialogs dialogs;
    FixedClock relogio{DateTime{2005, 5, 19, 14, 7, 0}};
    ScriptedRandom acaso{0.5};
    IniSettingsStore settings{pasta + "/config", files};
    Services servicos{dialogs, relogio, acaso, settings, files};
    ProjectoActual projecto{
        teste.pasta, "obras", testproject::kPrincipal, testproject::kPassePrincipal, false, true};
    bool inconsistente = false;
    valida_bups_bd(projecto, servicos, {}, inconsistente);
    const std::string copias = teste.pasta + "/copiaseg";
    std::filesystem::create_directories(copias);
    engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao())
        .Execute(
            "update BUPS set BUP_ULT_DESTINO="
            "'" +
            copias + "'");

    // Nine in ten are copies (of the three databases in turn), one in ten
    // something else; each a few bytes.
    const char* bases[] = {"brasol", "brasol_fotos", "log"};
    for (int i = 0; i < ficheiros; ++i) {
        char nome[64];
        if (i % 10 == 9) {
            std::snprintf(nome, sizeof nome, "outro%06d.txt", i);
        } else {
            std::snprintf(nome, sizeof nome, "%s%012lld.mdb", bases[i % 3], 200000000000LL + i);
        }
        std::ofstream(copias + "/" + nome) << "x";
    }

    std::vector<double> procura, listagem;
    std::size_t encontradas = 0;
    for (int r = 0; r < vezes; ++r) {
        procura.push_back(bench::seconds([&] {
            const restore::OndeProcurar onde = restore::onde_procurar(projecto);
            auto lista = restore::procura_copias(files, onde.pastas, onde.bases, " ");
            restore::ordena(lista, 2, true);
            encontradas = lista.size();
        }));
        listagem.push_back(bench::seconds([&] { files.list_files(copias); }));
    }
    std::printf("ficheiros na pasta: %d, linhas do registo: 3, cópias encontradas: %zu\n",
                ficheiros, encontradas);
    std::printf("procura (mediana de %d): %.4f s\n", vezes, bench::median(procura));
    std::printf("listagem da pasta, uma vez (mediana): %.4f s\n", bench::median(listagem));
    return 0;
}
