#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "engine/recordset.h"

namespace pezolva {

// Calls `por_linha` on each row of the register in order, on a second
// cursor, so `registo` stays where it is.  Rows another user deleted since
// the register was opened are left out.
void cada_linha(const engine::Recordset& registo,
                const std::function<void(const engine::Recordset&)>& por_linha);

// Whether the row the cursor stands on is due at `agora` (copia_devida).
bool linha_devida(const engine::Recordset& linha, const DateTime& agora);

// The names (BUP_NOME_BD) of every row, in register order.
std::vector<std::string> nomes_das_bases(const engine::Recordset& registo);

// The names of the rows whose copy is due at `agora`, in register order.
std::vector<std::string> bases_devidas(const engine::Recordset& registo, const DateTime& agora);

}  // namespace pezolva
