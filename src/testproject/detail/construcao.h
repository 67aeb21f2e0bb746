#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "testproject/detail/modelo.h"

namespace pezolva::testproject {
struct Etapa;
}

namespace pezolva::testproject::detail {

// CREATE TABLE of the table: its columns as the engine writes a field
// (text with COLLATE NOCASE), its key "PrimaryKey" and its named relations.
std::string sql_tabela(const Tabela& t);
// CREATE [UNIQUE] INDEX of each of its indexes.
std::vector<std::string> sql_indices(const Tabela& t);
// One statement that makes all the table's rows: a recursive CTE counts
// the rows and steps the generator that the column expressions draw from.
std::string sql_linhas(const Tabela& t, std::uint64_t semente);

struct Construcao {
    std::string nome;               // shown in the progress reports
    bool com_linhas = true;         // false: a structure (only the row of parametros)
    bool chaves_na_carga = false;   // relations enforced row by row during the load
    bool indices_na_carga = false;  // indexes made before the rows
    std::uint64_t semente = 1;
    std::function<void(const Etapa&)> progresso;
};

// Makes a new database at `caminho` with `palavra_passe` ("" for none) and
// the tables, filled per `como`, and on the disk when it returns.  The creation order of tables and
// indexes does not depend on `como`, so a database and its structure list them alike.  Throws
// EngineError from the engine, or std::runtime_error when a table did not get its rows or a
// relation does not hold.  On failure the file may remain: the caller builds under a temporary
// name.
void constroi(const std::string& caminho, const std::string& palavra_passe,
              const std::vector<Tabela>& tabelas, const Construcao& como);

// Writes the file's data to the disk (also a folder's entries, for a
// folder).  Throws std::runtime_error when it cannot.
void sincroniza(const std::string& caminho);

// The number of rows that break a relation (0 when every one holds).
std::int64_t violacoes_de_relacoes(engine::Database& db);

}  // namespace pezolva::testproject::detail
