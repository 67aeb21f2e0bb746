#pragma once

#include <string>
#include <vector>

#include "engine/database.h"

namespace pezolva::testproject::detail {

// A table as the engine shows it, with what is needed to write it again.
struct Definicao {
    std::string nome;
    std::vector<engine::Field> campos;
    engine::Index chave;                     // no fields: no primary key
    std::vector<engine::Index> indices;      // the others
    std::vector<engine::Relation> relacoes;  // its own foreign keys
};

Definicao le_definicao(engine::Database& db, const std::string& tabela);

// Writes the table again as `nova` describes it (same name), keeping the
// rows of the columns that both have, and its indexes.  Relations of other
// tables that refer to it are untouched.  All or nothing: one transaction,
// with the relations switched off around it (SQLite ignores the switch
// inside a transaction) and checked for this table and the tables that
// refer to it before the commit.  Throws EngineError from the engine, or
// std::runtime_error when the rows would break a relation; the database is
// then as it was.
void recria_tabela(engine::Database& db, const Definicao& nova);

}  // namespace pezolva::testproject::detail
