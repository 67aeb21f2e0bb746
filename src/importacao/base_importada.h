#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "importacao/fonte_jet.h"
#include "pezolva/importacao.h"

namespace pezolva::importacao {

// Rows read of each table of the source, by table name.
using Contagens = std::map<std::string, std::int64_t>;

// Writes the new database `destino` (which must not exist) with
// `palavra_passe`: the source's tables through the engine's own table
// creation, with their keys, indexes and enforced relations, and every row.
// Fills `ficheiro` and `contagens`; throws ErroImportacao naming the table
// and the cause.
// With `linhas` false, only the tables are written: a structure database.
void importa_base(FonteJet& fonte, const std::string& destino, const std::string& palavra_passe,
                  const Progresso& progresso, Ficheiro& ficheiro, Contagens& contagens,
                  bool linhas = true);

// Checks the written file: it opens with the password, passes SQLite's
// quick check, and each table holds the rows the source had.  Throws
// ErroImportacao naming the file and table.
void confirma_base(const std::string& destino, const std::string& palavra_passe,
                   const Contagens& contagens);

}  // namespace pezolva::importacao
