#pragma once

#include <cstdint>
#include <string>

#include "common/file_system.h"
#include "common/services.h"
#include "engine/delete_database.h"

namespace pezolva::restore {

// The hidden names a restore of the database `bd` works with, beside it:
// the copy being put in place, and (where the file system cannot swap two
// names in one step) the old database set aside for a moment.
std::string temporario_reposicao(const std::string& bd, std::uint64_t token);
std::string anterior_reposicao(const std::string& bd, std::uint64_t token);
// A copy fetched from elsewhere (an off-site repository) for database `bd`,
// before it goes through the restore.
std::string buscado_reposicao(const std::string& bd, std::uint64_t token);

// Puts right in `pasta` what restores killed half-way left there, unless a
// live restore still holds it or its lock cannot be asked (another user's,
// made private): an old database set aside whose name is empty goes back
// under its name (the restore never took place); every other leftover (a
// copy not yet in place, an old database already replaced, a fetched copy) is removed with
// its journal and lock files (engine::delete_leftovers).  Returns how many
// files were dealt with (`removed`) and how many were left where they are
// (`left`).  Never throws: what cannot be done is left for the next time.
engine::Leftovers recupera_reposicoes(FileSystem& files, const std::string& pasta);

// recupera_reposicoes, then, when files were left where they are, says how
// many as the backup's clean-up does ("Ficaram N ficheiros temporários na
// pasta ... que outra reposição pode estar a usar.", information icon,
// title "Atenção").
void recupera_e_avisa(Services& servicos, const std::string& pasta);

}  // namespace pezolva::restore
