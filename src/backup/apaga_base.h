#pragma once

#include <string>
#include <vector>

#include "common/file_system.h"

namespace pezolva::backup {

// The files SQLite and the engine keep beside a database: its rollback
// journal, its WAL and shared-memory files, and its companion lock (the
// current one last).
std::vector<std::string> companheiros(const std::string& caminho);

// Deletes the database file `caminho` (when it exists) with its companions,
// unless another holder (another process, or a connection of this one) has
// it open: false then, and nothing is deleted.  The companion lock is taken
// exclusively first, so nobody can open the file while it goes, and it is
// deleted last.  Throws FileError when a deletion fails; what was deleted
// before stays deleted.
bool apaga_base(FileSystem& files, const std::string& caminho);

}  // namespace pezolva::backup
