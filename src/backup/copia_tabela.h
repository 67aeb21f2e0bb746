#pragma once

#include <cstdint>
#include <string>

#include "engine/database.h"

namespace pezolva::backup {

// Copies the rows of `tabela` from the live database into the same table
// of the file `caminho_copia`, in one set-based statement; rows that break
// a rule of the copy's structure are left out.  Adds the table's row count
// in the live database to `total_registos` (whether or not every row went
// in) and sets `inseridas` to the rows the copy received.  True when the
// copy received every row; false, with `total_registos` unchanged, when the
// table could not be read or copied.
bool copia_tabela(engine::Database& viva, const std::string& caminho_copia,
                  const std::string& tabela, std::int64_t& total_registos,
                  std::int64_t& inseridas);

}  // namespace pezolva::backup
