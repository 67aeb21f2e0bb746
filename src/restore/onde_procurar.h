#pragma once

#include <map>
#include <string>
#include <vector>

#include "project/projecto.h"

namespace pezolva::restore {

// Where the restore looks for copies, and of what.
struct OndeProcurar {
    std::vector<std::string> pastas;  // the project folder first, then each row's last destination
    std::vector<std::string> bases;   // BUP_NOME_BD of each register row, in the register's order
    // The password of each database (by name as registered, "" for none):
    // a copy opens with its database's password.
    std::map<std::string, std::string> ligacoes;
    // True when the register could not be read (a damaged or missing main
    // database): then the main database is looked for in the project's
    // copies folder too, so that it can be restored.
    bool sem_registo = false;
};

// The folders and databases of the current project's register, as the
// restore window starts with them.  A register that cannot be read gives
// the project folder and its "copiaseg" folder, and the main database
// alone; but a password that does not open the main database is refused
// as at the start (EngineError ErroPalavraPasse), never taken for damage.
OndeProcurar onde_procurar(const ProjectoActual& projecto);

// The connect string that opens the database listed as `nome` (without
// ".mdb"), and so its copies: the project's password for the main
// database, the register row's for the others.
std::string ligacao_de(const OndeProcurar& onde, const ProjectoActual& projecto,
                       const std::string& nome);

}  // namespace pezolva::restore
