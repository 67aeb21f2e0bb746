#pragma once

#include <optional>
#include <string>

#include "cli.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

// Makes the project of --project current for a restore, as the launcher
// does, and goes on whatever the start said (a damaged or missing main
// database is when a restore is needed; what is wrong has been shown).
// nullopt, after saying so, when no such project is registered here.
std::optional<operacoes::Projecto> projecto_para_repor(const Argumentos& args);

// Thousands grouped as the user's locale groups them.
std::string separador_de_milhares();

}  // namespace pezolva::cli
