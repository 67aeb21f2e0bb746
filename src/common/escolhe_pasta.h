#pragma once

#include <string>

#include "common/dialogs.h"

namespace pezolva {

// Lets the user pick a folder, starting at `inicio` (trimmed for the
// chooser).  The prompt is `mensagem`, or "Seleccione a pasta" when empty.
// Returns the chosen folder, or `inicio` unchanged when the user cancels.
std::string escolhe_pasta(Dialogs& dialogs, const std::string& inicio, const std::string& mensagem);

}  // namespace pezolva
