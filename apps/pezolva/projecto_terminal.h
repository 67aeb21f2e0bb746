#pragma once

#include <optional>

#include "cli.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// The project named by --project, made current as the launcher makes it
// (its register checked, no start-up sample taken), with its password from
// the environment, --password-file or the terminal.  nullopt, after saying
// why, when it is not registered or does not start.  Throws UsoErrado
// without --project.
std::optional<operacoes::Projecto> arranca_projecto_indicado(const Argumentos& args);

}  // namespace pezolva::cli
