#pragma once

#include <string>
#include <vector>

#include "common/file_system.h"
#include "offsite/restic.h"
#include "project/projecto.h"

namespace pezolva::offsite {

// A register row as the off-site step needs it.
struct BaseGuardada {
    std::string nome_bd;  // BUP_NOME_BD
    int copias_a_manter = 1;
    std::string estrutura;  // the structure database's path ("" when the row names none)
};

// The project's register read for the repository: its rows, and the same
// as a JSON document (every column of every row, with the project's
// settings entry) that rebuilds the project elsewhere.
struct RegistoGuardado {
    std::vector<BaseGuardada> bases;
    std::string json;
};

// Reads the register of the project's main database (read-only).  An
// unreadable register gives no rows: the copies still go, the register
// waits for a run that can read it.
RegistoGuardado le_registo_guardado(const ProjectoActual& projecto);

// Sends the register's document, and the structure databases it names in
// one snapshot (deduplicated by restic, they cost almost nothing after the
// first run), keeping the newest few of each; `registos` and `estruturas`
// are how many the repository held before.
void guarda_metadados(Restic& restic, const ProjectoActual& projecto,
                      const RegistoGuardado& registo, int registos, int estruturas);

inline constexpr const char* kNomeRegisto = "registo.json";

}  // namespace pezolva::offsite
