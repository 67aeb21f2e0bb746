#include "project/projecto.h"

namespace pezolva {

std::string ProjectoActual::base_principal() const { return caminho + "/" + nome_bd; }

}  // namespace pezolva
