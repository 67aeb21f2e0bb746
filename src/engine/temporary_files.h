#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/file_system.h"
#include "engine/lock_file.h"

namespace pezolva::engine {

// The temporary files of one piece of work (a copy being built, a database
// being restored), each beside its final place.
//
// Each name is claimed before its file is made: this object holds the
// name's companion lock (shared) until the file is given up, so that a
// later run reclaiming leftovers knows the file is alive.  Whatever was not
// kept goes when the object goes, with its journal, WAL, shared-memory and
// lock files: nothing of unfinished work outlives the run.  Make the object
// before any connection to its files and let it go after they have closed.
class TemporaryFiles {
  public:
    explicit TemporaryFiles(FileSystem& files) : files_(files) {}
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // Claims `path` and returns it.  Throws EngineError (ErroEmUso) when
    // someone else holds the name, which a fresh random name never is.
    std::string claim(const std::string& path);
    // Removes the file of a claimed name (when there) and its companions,
    // and gives up the name.  Never throws: a file that cannot be removed
    // is left for the next run to reclaim.
    void remove(const std::string& path);
    // Gives up a claimed name whose file has been renamed to its final
    // name: only its companions go.
    void release(const std::string& path);
    // Gives up a claimed name and touches nothing of it: for a name that
    // now holds the only copy of a database (a swap whose undo failed),
    // left for the next run's recovery to put back.
    void keep(const std::string& path);

  private:
    struct Claimed {
        std::string path;
        CompanionLock lock;
    };
    void give_up(const std::string& path, bool with_file);
    void free(Claimed& c, bool with_file);

    FileSystem& files_;
    std::vector<Claimed> claimed_;
};

// A 64-bit token from two draws of `random`, to make a temporary name
// unique to one run.
std::uint64_t random_token(Random& random);

}  // namespace pezolva::engine
