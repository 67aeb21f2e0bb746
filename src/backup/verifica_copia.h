#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// Whether the file opens with the database's password and passes SQLite's
// quick check, which reads every table and index and also accounts for
// every page of the file (one in no b-tree and not free, or in two, fails
// it).  nullopt when it does; otherwise the reason, in Portuguese.
std::optional<std::string> verificacao_rapida(const std::string& caminho,
                                              const std::string& ligacao);

}  // namespace pezolva::backup
