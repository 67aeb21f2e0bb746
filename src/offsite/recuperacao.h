#pragma once

#include <string>
#include <vector>

#include "common/services.h"
#include "offsite/restic.h"

namespace pezolva::offsite {

struct Recuperacao {
    std::string nome_bd;                 // the main database's file name
    std::vector<std::string> ficheiros;  // what was written, in order
};

// Rebuilds the project `projecto` from the repository alone into `pasta`
// (which must be empty or not exist): the newest copy of every database of
// its stored register under the database's own name, its structure
// databases, and the register itself (a copy carries none) with folders of
// the old project folder moved to `pasta`.  Each database is checked as a
// restore checks a copy (it opens with its password and passes SQLite's
// quick check) before it takes its name.  `passwd` opens the main database.
// Throws ErroRestic for the repository, std::runtime_error (Portuguese)
// for what the repository lacks or a damaged copy; what was written stays,
// named, for the user to see.
Recuperacao recupera_projecto(Services& servicos, Restic& restic, const std::string& projecto,
                              const std::string& pasta, const std::string& passwd);

}  // namespace pezolva::offsite
