#pragma once

#include <memory>
#include <string>

namespace pezolva::engine {

// SQLite's own exclusive lock on a database, held for the moment its file
// is swapped for another, on top of the companion lock: a program that
// opens the file with SQLite but not through the engine is then seen too
// while it reads or writes.  (One that only keeps an idle connection holds
// no lock at all, and cannot be seen.)
//
// Rollback-journal mode: BEGIN EXCLUSIVE.  WAL mode: the exclusive locking
// mode, which takes the file's exclusive lock and keeps the WAL index in
// this process.  Either is waited for within the engine's busy time-out.
class SwapLock {
  public:
    // Throws EngineError (ErroEmUso) when another connection keeps the lock
    // past the time-out.  A file SQLite cannot read as a database (a
    // damaged one, the usual reason to replace it) has no lock of SQLite's
    // to take: nothing is held then.
    explicit SwapLock(const std::string& path);
    ~SwapLock();
    SwapLock(const SwapLock&) = delete;
    SwapLock& operator=(const SwapLock&) = delete;

    bool held() const { return state_ != nullptr; }
    // Lets go now: ends the transaction and closes the connection.
    void release();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace pezolva::engine
