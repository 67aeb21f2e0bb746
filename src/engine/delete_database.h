#pragma once

#include <cstdint>
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

// What a clean-up of leftovers did.
struct Leftovers {
    int removed = 0;          // files deleted (or, for a file given back its name, dealt with)
    std::uint64_t bytes = 0;  // their size, as listed
    // Files left where they are: a live process holds them, or their lock
    // cannot be asked (another user's, made private), which is the same.
    int left = 0;
};

// Deletes from `folder` every leftover that `is_leftover` recognises (a
// database file name, see database_of_file) with the files of it that are
// there, each with delete_database: a leftover somebody holds, or whose
// lock cannot be asked, is left where it is, with its files, and counted.
// `before`, when given, is first told the path of each leftover nobody
// holds (to put something back, say).  A leftover whose deletion fails
// (FileError, EngineError) is left and not counted.  Throws FileError when
// the folder cannot be listed.
Leftovers delete_leftovers(FileSystem& files, const std::string& folder,
                           const std::function<bool(const std::string& name)>& is_leftover,
                           const std::function<void(const std::string& path)>& before = {});

// The line telling the user of files left where they are:
// "Ficaram N ficheiros temporários na pasta P que <who> pode estar a usar."
std::string left_behind(int files, const std::string& folder, const std::string& who);

}  // namespace pezolva::engine
