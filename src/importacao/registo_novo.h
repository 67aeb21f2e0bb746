#pragma once

#include <string>

namespace pezolva::importacao {

// For a main database that came without a register: the table BUPS made
// as the start makes it, with one row that looks after the main database
// itself (a copy a day, five kept, in the project's copiaseg folder),
// checked against `estrutura`.  `base` is the file written, `destino` the
// project folder it will be in.  Throws ErroImportacao.
void cria_registo(const std::string& base, const std::string& palavra_passe,
                  const std::string& destino, const std::string& nome_principal,
                  const std::string& estrutura);

}  // namespace pezolva::importacao
