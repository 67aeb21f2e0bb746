#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backup/copia_base_dados.h"
#include "backup/logs_execucao.h"
#include "common/dialogs.h"
#include "engine/recordset.h"

namespace pezolva::backup {

// How a backup run ended, which decides what its window shows.
enum class FimExecucao {
    NadaSeleccionado,  // no database was chosen: the user was told
    NenhumaIniciada,   // every chosen database lacked its register row
    Concluida,         // the error log is empty
    ComErros,          // some error was logged
    Interrompida,      // a signal stopped the run: see engine::interruption_requested()
};

// Runs a backup of each chosen database, in order: finds its register row
// by name and makes one copy with `copia`.  The failure of one database is
// logged and the run goes on with the next.  The error log is emptied
// first; `ao_iniciar_copia` is called before each copy (the window switches
// to its progress frame there).
//
// For the length of the run SIGINT, SIGTERM and SIGHUP do not kill the
// process: they stop the copy in progress at its next step, its temporary
// files are removed, and the run ends as Interrompida with the signal
// number left in engine::interruption_requested(), the handlers the caller
// had being back in place.  The caller then ends as the signal asks.
FimExecucao executa_copias(const std::vector<std::string>& seleccionadas,
                           engine::Recordset& registo, CopiaBaseDados& copia, LogsExecucao& log,
                           Dialogs& dialogs, const std::function<void()>& ao_iniciar_copia = {});

}  // namespace pezolva::backup
