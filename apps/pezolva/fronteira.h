#pragma once

#include <functional>

namespace pezolva::cli {

// The one place where an error that nothing else handled stops, so that no
// error leaves a Qt slot or main(): the component shows it as "número -
// descrição" (critical icon, title "Erro"), and the program goes on.  True
// when `accao` ended normally.
bool fronteira(const std::function<void()>& accao);

}  // namespace pezolva::cli
