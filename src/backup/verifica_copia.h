#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace pezolva::backup {

struct TabelaCopiada {
    std::string nome;
    std::int64_t linhas = 0;  // the rows the copy received
};

// Whether a finished copy can be trusted: it opens with the database's
// password, passes SQLite's quick check, and each table holds the rows put
// into it.  nullopt when it can; otherwise the reason, in Portuguese (that
// of the quick check, or of its opening, first).  The counts run on a
// thread of their own beside the quick check.
std::optional<std::string> verifica_copia(const std::string& caminho, const std::string& ligacao,
                                          const std::vector<TabelaCopiada>& tabelas);

// Gives the finished file `pronta` the copy name `caminho_copia`.  A copy
// made in the same minute is replaced, but only now that the new one is
// complete: it is first renamed aside to `de_lado`, then removed once the
// new copy has its name (and put back if that fails).  Throws FileError,
// leaving the old copy under its name, when a rename fails.
void coloca_copia(FileSystem& files, const std::string& pronta, const std::string& caminho_copia,
                  const std::string& de_lado);

}  // namespace pezolva::backup
