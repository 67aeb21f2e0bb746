// pezolva: the maintenance launcher.  Without arguments, the window
// program; with a subcommand, the same operations from a terminal.

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "comandos.h"
#include "pezolva/mnt.h"
#include "pezolva/versao.h"

int main(int argc, char** argv) {
    using namespace pezolva::cli;
    palavra_passe_do_ambiente();  // out of the environment before any child can start
    const std::string subcomando = argc < 2 ? "" : argv[1];
    const std::vector<std::string> args(argv + (argc < 2 ? argc : 2), argv + argc);
    if (subcomando == "--help" || subcomando == "-h" || subcomando == "help") {
        std::fputs(ajuda(""), stdout);
        return kSucesso;
    }
    if (subcomando == "--version") {
        std::printf("pezolva %s\n", PEZOLVA_VERSION);
        return kSucesso;
    }
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(ajuda(subcomando), stdout);
            return kSucesso;
        }
    }
    // No error ends the program past this point: each is one line and the
    // exit status (the window program shows its own in a message box).
    try {
        if (argc < 2) return janelas(argc, argv);
        if (subcomando == "projects") return projects(args);
        if (subcomando == "start") return start(args);
        if (subcomando == "demo") return demo(args);
        if (subcomando == "backup") return backup(args);
        if (subcomando == "compact") return compact(args);
        if (subcomando == "reinstall") return reinstall(args);
        if (subcomando == "copies") return copies(args);
        if (subcomando == "restore") return restore(args);
        if (subcomando == "verify") return verify(args);
        if (subcomando == "import") return import(args);
        if (subcomando == "offsite") return offsite(args);
        throw UsoErrado{"subcomando desconhecido: " + subcomando};
    } catch (const UsoErrado& e) {
        std::fprintf(stderr, "pezolva: %s\n\n%s", e.mensagem.c_str(), ajuda(subcomando));
        return kUsoErrado;
    } catch (const pezolva::erro& e) {
        std::fprintf(stderr, "pezolva: %d - %s\n", e.numero(), e.what());
        return kFalhou;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pezolva: %s\n", e.what());
        return kFalhou;
    }
}
