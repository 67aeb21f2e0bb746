#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "engine/database.h"

// Ways to make a structure database differ from its database, and rows
// that a stricter structure refuses.  Each divergence changes one thing in
// the open database it is given, which may be the database or its
// structure; everything else, rows included, stays as it was.  A change to
// a field or a relation writes the table again (SQLite cannot alter them
// in place), all or nothing.  Errors of the engine come out as EngineError
// (ErroItemInexistente for a name that is not there); a change that would
// leave a row without the row it refers to is refused with
// std::runtime_error and changes nothing.
namespace pezolva::testproject {

// The relations that the cycle helpers add: corporacoes.id_quartel_sede
// refers to quarteis, which already refers to corporacoes; and
// bombeiros.id_superior refers to bombeiros.  The rows of a test project
// respect both.
inline constexpr const char* kRelacaoSede = "rel_quarteis_corporacoes_sede";
inline constexpr const char* kRelacaoSuperior = "rel_bombeiros_superior";
// The relation that insere_linha_orfa needs gone: turnos.id_bombeiro
// refers to bombeiros.
inline constexpr const char* kRelacaoTurnos = "rel_bombeiros_turnos";

// The text field gets `tamanho` characters.  std::invalid_argument when
// it is not a text field.
void muda_tamanho(engine::Database& db, const std::string& tabela, const std::string& campo,
                  int tamanho);
// The field gets the declared type `tipo` ("DOUBLE", "TEXT(10)", ...); its
// values are kept as SQLite converts them.
void muda_tipo(engine::Database& db, const std::string& tabela, const std::string& campo,
               const std::string& tipo);
void apaga_indice(engine::Database& db, const std::string& tabela, const std::string& indice);
void apaga_tabela(engine::Database& db, const std::string& tabela);
void apaga_campo(engine::Database& db, const std::string& tabela, const std::string& campo);
void apaga_relacao(engine::Database& db, const std::string& relacao);

struct NovaRelacao {
    std::string nome;
    std::string mae;  // the referenced table
    std::vector<std::string> campos_mae;
    std::string filha;  // the referencing table
    std::vector<std::string> campos_filha;
};
void acrescenta_relacao(engine::Database& db, const NovaRelacao& relacao);

// Two tables that refer to each other (adds kRelacaoSede).
void cria_ciclo_mutuo(engine::Database& db);
// A table that refers to itself (adds kRelacaoSuperior).
void cria_auto_relacao(engine::Database& db);

// Sets versao of parametros (nullopt: Null).  std::runtime_error when the
// table has no row.
void muda_versao(engine::Database& db, const std::optional<std::string>& versao);

// Inserts a copy of the table's last row (highest rowid) under a new key,
// the largest plus 1, with the values of `alteracoes` in place of its own.
// The table must have a primary key of one whole-number field and a row.
// Returns the new key.  The engine's rules apply: a change that breaks a
// relation, a unique index or NOT NULL of `db` throws EngineError.
std::int64_t insere_variante(engine::Database& db, const std::string& tabela,
                             const std::map<std::string, Value>& alteracoes);

// A row of ocorrencias with text in the number field n_vitimas: SQLite
// keeps it, and a copy into a table that has the field as a number refuses
// it.  Returns the table's name.
std::string insere_linha_tipo_errado(engine::Database& db);
// A row of turnos whose id_bombeiro is no fireman's: only possible in a
// database without kRelacaoTurnos (else EngineError, ErroIntegridade),
// and refused by a copy into its structure, which has the relation.
// Returns the table's name.
std::string insere_linha_orfa(engine::Database& db);

}  // namespace pezolva::testproject
