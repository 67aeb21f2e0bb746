#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "common/value.h"
#include "engine/database.h"

namespace pezolva::testproject {

// True for the engine's system tables ("MSys..." in any case).
bool tabela_de_sistema(const std::string& nome);

// The rows of every table of `db`, system tables left out.
std::map<std::string, std::int64_t> conta_linhas(engine::Database& db);
std::map<std::string, std::int64_t> conta_linhas(const std::string& caminho,
                                                 const std::string& palavra_passe);

// The schema of `db` as the engine shows it, one line per object, system
// tables left out, so that two schemas compare as sets and a difference
// reads as the lines one has and the other lacks:
//   "tabela T"
//   "campo T.F tipo 10 tamanho 40[ obrigatório]"
//   "índice T.I (F1,F2)[ único][ primário]"
//   "relação R T(F) <- FT(FF)"      (T the referenced table, FT the referencing one)
std::set<std::string> descreve_esquema(engine::Database& db);

// The value of versao in the first row of parametros; nullopt when the
// table or the row is missing (a Null version is a Null Value).
std::optional<Value> versao_de(engine::Database& db);

}  // namespace pezolva::testproject
