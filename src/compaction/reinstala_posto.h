#pragma once

#include <functional>
#include <string>

#include "common/dialogs.h"
#include "common/file_system.h"
#include "compaction/espera_setup_regra.h"

namespace pezolva {

// The class of the set-up program's main window, and its title.
inline constexpr const char* kClasseJanelaSetup = "InstallShield_Win";
inline constexpr const char* kTituloJanelaSetup = "*";

// Shows the wait until the rule says it is over (a window, a terminal).
using MostraEspera = std::function<void(EsperaSetup& espera)>;

// Re-installs the workstation: runs "setupposto/setup" of the project
// folder `caminho`, without waiting for it, and holds the user in the wait
// until its window has come and gone, or it has ended.  False, after the
// message, when the program is not there; true once the wait is over (the
// set-up's own outcome is not known).  A program that cannot be started
// throws FileError.
bool reinstala_posto(FileSystem& files, Dialogs& dialogs, const std::string& caminho,
                     const MostraEspera& mostra);

// The wait without a window: a tick a second until the rule ends it.
void espera_no_terminal(EsperaSetup& espera);

}  // namespace pezolva
