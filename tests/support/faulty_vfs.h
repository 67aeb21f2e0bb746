#pragma once

#include <sqlite3.h>

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace pezolva::testing {

// SQLite's default file layer ("unix") with failures on demand, for tests
// of what the engine does when a disk fills up or a read fails in the
// middle of a statement.  While the object lives it is SQLite's default
// layer, so every connection opened meanwhile without a layer of its own
// (as the engine opens all of its) goes through it; the former default
// comes back when it goes.  Connections opened through it must be closed
// before it goes.  One at a time.
//
//     FaultyVfs vfs;
//     vfs.fail({FaultyVfs::Write, "copia.mdb", 3, SQLITE_FULL});
//     ... the 3rd write to a file whose path holds "copia.mdb" (the
//     database or its journal) gives SQLITE_FULL, and later ones succeed.
//     EXPECT_EQ(vfs.failures(), 1);
//
// Calls are counted from the moment the object is made, per operation and
// file; failures are counted from fail() on.
class FaultyVfs {
  public:
    enum Operation { Read, Write, Sync, Truncate };

    struct Fault {
        Operation operation = Write;
        std::string path_part;   // files whose path contains this text
        int nth = 1;             // counted from 1, over the matching files, from fail() on
        int code = SQLITE_FULL;  // what the failed call returns
        bool lasting = false;    // every later matching call fails too, as a disk that stays full
    };

    FaultyVfs();
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // Arms `fault`, replacing the one armed before.
    void fail(const Fault& fault);
    // No call fails from now on.
    void disarm();

    // Calls of `operation` so far on files whose path contains `path_part`
    // ("" for every file, temporary ones included).
    int calls(Operation operation, const std::string& path_part = "") const;
    // Calls that were made to fail.
    int failures() const;

    // For the file methods: counts the call, and gives the code it returns
    // instead of running (SQLITE_OK: run it).
    int on_call(Operation operation, const char* path);
    sqlite3_vfs* base() const { return base_; }

  private:
    sqlite3_vfs vfs_{};
    sqlite3_vfs* base_ = nullptr;  // "unix", which does the work
    sqlite3_vfs* previous_default_ = nullptr;

    mutable std::mutex mutex_;
    std::map<std::string, std::array<int, 4>> calls_;  // by file path
    std::optional<Fault> fault_;
    int matching_ = 0;  // calls matching the armed fault since fail()
    int failures_ = 0;
};

}  // namespace pezolva::testing
