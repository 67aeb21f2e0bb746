#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace pezolva::engine {

// The files SQLite and the engine keep beside a database: its rollback
// journal, its WAL and shared-memory files, and its companion lock (the
// current one last).
std::vector<std::string> companion_files(const std::string& path);

// Deletes the database file `path` (when it exists) with its companions,
// unless another holder (another process, or a connection of this one) has
// it open: false then, and nothing is deleted.  The companion lock is taken
// exclusively first, so nobody can open the file while it goes, and it is
// deleted last.  Throws FileError when a deletion fails; what was deleted
// before stays deleted.
bool delete_database(FileSystem& files, const std::string& path);

// The database file that the file `name` is, or belongs to as one of its
// companions ("-journal", "-wal", "-shm", the hidden ".<name>.lock" or the
// older "<name>.lock"), provided `is_database` recognises it; nullopt
// otherwise.  Lets a run that reclaims leftovers find every file of each.
std::optional<std::string> database_of_file(
    const std::string& name, const std::function<bool(const std::string&)>& is_database);

}  // namespace pezolva::engine
