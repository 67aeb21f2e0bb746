#pragma once

#include <stdexcept>
#include <string>

namespace pezolva::importacao {

// A failure of the import, its text ready for the user ("O ficheiro ...
// não é uma base de dados Jet.").
class ErroImportacao : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a run stopped by a signal says, wherever it noticed the request.
inline constexpr const char* kImportacaoInterrompida =
    "A importação foi interrompida: nada ficou no destino.";

}  // namespace pezolva::importacao
