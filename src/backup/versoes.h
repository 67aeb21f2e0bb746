#pragma once

#include <string>

#include "backup/logs_execucao.h"
#include "engine/database.h"

namespace pezolva::backup {

// Compares the schema versions that the live database and the copy (a
// byte copy of the structure) keep in parametros.versao, and leaves a
// warning in the message log when only one of them has the table or the
// versions differ.  Never stops a backup: a side whose table cannot be read
// counts as having none.
void compara_versoes(engine::Database& viva, engine::Database& copia, const std::string& caminho_bd,
                     const std::string& caminho_est, LogsExecucao& log);

}  // namespace pezolva::backup
