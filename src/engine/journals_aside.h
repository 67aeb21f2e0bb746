#pragma once

#include <string>
#include <vector>

#include "common/file_system.h"

namespace pezolva::engine {

// The journals of a database that is about to lose its name, moved with
// it: the rollback journal and the WAL SQLite could not bring into the
// file go beside the name the old file takes (`aside`), where they still
// belong to it; the shared-memory index is only a cache, and an empty
// journal holds nothing to apply: they go.  Nothing
// is deleted that an undo would need: `bring_back` puts them beside the
// database again.  For the holder of the database's exclusive lock.
class JournalsAside {
  public:
    // Moves them; throws FileError when a move fails, with those moved
    // already put back.
    JournalsAside(FileSystem& files, const std::string& database, const std::string& aside);
    // Puts them back beside the database (after an undone swap, or the old
    // file put back under its name).  Never throws: what cannot be moved
    // stays beside `aside`, with the old file.
    void bring_back();

  private:
    void remove_quietly(const std::string& path);

    FileSystem& files_;
    std::string database_;
    std::string aside_;
    std::vector<std::string> moved_;  // the endings moved, "-journal" and "-wal"
};

}  // namespace pezolva::engine
