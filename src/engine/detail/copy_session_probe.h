#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/detail/sqlite.h"

namespace pezolva::engine::detail {

// A second reader of a database that runs, on its own thread, the queries
// that tell whether a table has a row breaking a rule, while the first
// reader copies.  Each query gives a row when it finds such a row.
//
// It reads the very state the first reader sees only because it starts
// while the first reader holds its read transaction, and the database is
// in a rollback-journal mode: from then on no writer can commit until both
// have finished (a commit needs every reader gone), and in the same process
// the second reader's lock is granted without waiting.  The caller ensures
// both conditions; in WAL mode each reader has its own snapshot and no
// probe may be used.
class RuleProbe {
  public:
    // Opens `path` read-only and begins its read transaction, then starts
    // the thread on `queries` (those of table i at index i).  Throws
    // EngineError when the database cannot be opened or read.
    RuleProbe(const std::string& path, std::vector<std::vector<std::string>> queries);
    // Interrupts the queries still running and waits for the thread.
    ~RuleProbe();
    RuleProbe(const RuleProbe&) = delete;
    RuleProbe& operator=(const RuleProbe&) = delete;

    // Waits for the queries of table i: true when one found a row, false
    // when none did, nullopt when one of them failed.
    std::optional<bool> found(std::size_t i);

  private:
    void run();

    std::string path_;
    ConnectionPtr connection_;
    std::vector<std::vector<std::string>> queries_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::vector<std::optional<std::optional<bool>>> results_;  // outer: finished or not
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace pezolva::engine::detail
