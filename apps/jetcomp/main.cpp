// jetcomp: writes a compacted copy of a database at a new name, complete or
// not at all; the source is never changed.
//
//   jetcomp -src:ORIGEM -dest:DESTINO [-wPALAVRA | -w-] [-v3]
//
// "-w-" reads the password from the first line of the standard input, so
// that it need not appear on a command line, which every local user can
// read.  When JETCOMP_LOCK_FD names an inherited descriptor, it is the
// source's companion lock, held exclusively by the program that started
// this one; the source is then read under that lock instead of a new one.
// When JETCOMP_NO_SYNC is "1", the destination is named without being
// synced: the program that started this one syncs it itself, while it
// checks it, before it relies on it.
//
// Exit status: 0 the destination is complete; 1 the compaction failed
// (nothing left at the destination); 2 wrong use; 128 + n on signal n.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "engine/compact_file.h"
#include "engine/error.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"

namespace {

using namespace pezolva::engine;

struct Pedido {
    std::string origem;
    std::string destino;
    std::string palavra_passe;
};

constexpr const char* kUso =
    "Uso: jetcomp -src:ORIGEM -dest:DESTINO [-wPALAVRA-PASSE | -w-] [-v3]\n"
    "Escreve em DESTINO (que não pode existir) uma cópia compactada de ORIGEM.\n"
    "-w- lê a palavra-passe da primeira linha da entrada padrão.\n";

// A value as the original command line quoted it, quotes taken off.
std::string sem_aspas(std::string v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}

std::optional<Pedido> le_argumentos(int argc, char** argv) {
    Pedido p;
    bool origem = false, destino = false, da_entrada = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-src:", 0) == 0) {
            p.origem = sem_aspas(a.substr(5));
            origem = true;
        } else if (a.rfind("-dest:", 0) == 0) {
            p.destino = sem_aspas(a.substr(6));
            destino = true;
        } else if (a == "-w-") {
            da_entrada = true;
        } else if (a.rfind("-w", 0) == 0) {
            p.palavra_passe = a.substr(2);
        } else if (a.rfind("-v", 0) != 0) {  // the format version: there is one
            std::fprintf(stderr, "jetcomp: opção desconhecida: %s\n", a.c_str());
            return std::nullopt;
        }
    }
    if (!origem || !destino || p.origem.empty() || p.destino.empty()) return std::nullopt;
    if (da_entrada && !std::getline(std::cin, p.palavra_passe)) p.palavra_passe.clear();
    return p;
}

// The lock the starting program passed down, if it passed one.
CompanionLock lock_herdado(const std::string& origem) {
    const char* fd = std::getenv("JETCOMP_LOCK_FD");
    if (fd == nullptr || *fd == '\0') return {};
    return CompanionLock::Adopt(std::atoi(fd), origem);
}

// Whether the starting program syncs the destination itself.
CopySync sincronizacao() {
    const char* v = std::getenv("JETCOMP_NO_SYNC");
    return v != nullptr && std::string(v) == "1" ? CopySync::LeftToCaller : CopySync::Synced;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Pedido> p = le_argumentos(argc, argv);
    if (!p) {
        std::fputs(kUso, stderr);
        return 2;
    }
    const SignalInterruption sinais;
    try {
        CompactToNewFile(p->origem, p->destino, ";pwd=" + p->palavra_passe, lock_herdado(p->origem),
                         sincronizacao());
    } catch (const EngineError& e) {
        if (const int sinal = interruption_requested()) end_as_signal(sinal);
        std::fprintf(stderr, "jetcomp: %d - %s\n", e.numero(), e.what());
        return 1;
    }
    return 0;
}
