#pragma once

#include <string>

namespace pezolva::cli {

// Thousands grouped as the user's locale groups them.
std::string separador_de_milhares();

}  // namespace pezolva::cli
