#pragma once

#include <optional>

#include "cli.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// The project named by --project, made current as the launcher makes it
// (its register checked, no start-up sample taken), with its password from
// the environment, --password-file or the terminal.  nullopt, after saying
// why, when it is not registered, or when it does not start and
// `mesmo_sem_arranque` is false; a restore passes true, since a damaged or
// missing main database is when it is needed (what is wrong has been
// shown).  Throws UsoErrado without --project.
std::optional<operacoes::Projecto> arranca_projecto_indicado(const Argumentos& args,
                                                             bool mesmo_sem_arranque = false);

}  // namespace pezolva::cli
