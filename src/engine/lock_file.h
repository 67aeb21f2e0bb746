#pragma once

#include <string>

namespace pezolva::engine {

// The companion lock of a database: while the engine has a database open
// it holds flock(LOCK_SH) on the hidden file ".<name>.lock" beside it
// (created when missing).  Holders of the exclusive lock may replace,
// rename or delete the database; nobody else may.  A companion is deleted
// only with its database, by the holder of the exclusive lock: deleting
// it otherwise would let two holders lock two different files.  A
// companion is made with its database's permission bits and group, so that
// every user who may write the database may lock it.  Whether locks reach
// other machines depends on the folder's file system (lock_sharing.h).
//
// A companion that exists but cannot be opened for writing (another
// user's, made private) cannot tell whether someone holds it: it counts as
// held for whoever would replace or delete the database.

// "<folder>/.<name>.lock" for "<folder>/<name>".
std::string companion_path(const std::string& database_path);

// True when somebody (another process, or a database or lock held
// elsewhere in this process) holds the companion lock, so the exclusive
// lock cannot be had now, or when the companion cannot be opened for
// writing to ask.  False when the companion does not exist.
bool InUse(const std::string& database_path);

// A held companion lock, released when the object goes.  Moves, never
// copies.
class CompanionLock {
  public:
    enum class Mode { Shared, Exclusive };

    // Takes the lock without waiting.  Throws EngineError (ErroEmUso) when
    // another holder prevents it, and, for the exclusive lock, when the
    // companion exists but cannot be opened for writing or locked.  When
    // there is no companion and none can be made (a folder nobody can
    // change), holds nothing; a shared lock that cannot be had holds
    // nothing either.
    CompanionLock(const std::string& database_path, Mode mode);
    CompanionLock() = default;  // holds nothing
    ~CompanionLock();
    CompanionLock(CompanionLock&& other) noexcept;
    CompanionLock& operator=(CompanionLock&& other) noexcept;
    CompanionLock(const CompanionLock&) = delete;
    CompanionLock& operator=(const CompanionLock&) = delete;

    bool held() const { return fd_ >= 0; }
    void release();

    // The descriptor of a held lock (-1 when none), for a program this
    // process starts to inherit: the lock belongs to the open file, so the
    // child holds the very same lock, not a second one.
    int descriptor() const { return fd_; }

    // Takes over `fd`, inherited from the process that holds the exclusive
    // lock of `database_path`: it must be open on that database's companion
    // and hold its exclusive lock (nobody else holds any).  Throws
    // EngineError (ErroEmUso) otherwise, closing nothing that is not ours.
    static CompanionLock Adopt(int fd, const std::string& database_path);

  private:
    int fd_ = -1;
};

// The lock taken before a database file is replaced or renamed.
class ExclusiveLock {
  public:
    // Throws EngineError (ErroEmUso) when the database is in use.
    explicit ExclusiveLock(const std::string& database_path)
        : lock_(database_path, CompanionLock::Mode::Exclusive) {}
    void release() { lock_.release(); }

  private:
    CompanionLock lock_;
};

}  // namespace pezolva::engine
