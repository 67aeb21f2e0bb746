#pragma once

#include <optional>

#include "cli.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// The project of --project made current as the launcher does (its register
// checked), with its password from the usual places; nullopt, after saying
// why, when it is not registered or its start leaves nothing to work on.
// Throws UsoErrado without --project.
std::optional<operacoes::Projecto> arranca_projecto_nomeado(const Argumentos& args);

}  // namespace pezolva::cli
