#pragma once

#include <functional>

#include "common/dialogs.h"

namespace pezolva::cli {

// The one place where an error that nothing else handled stops, so that no
// error leaves a Qt slot or main(): it is shown as "número - descrição"
// (critical icon, title "Erro") through `dialogs`, and the program goes
// on.  True when `accao` ended normally.
bool fronteira(Dialogs& dialogs, const std::function<void()>& accao);

}  // namespace pezolva::cli
