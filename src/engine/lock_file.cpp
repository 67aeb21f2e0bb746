#include "engine/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/file_system.h"
#include "engine/error.h"

namespace pezolva::engine {
namespace {

// Gives a companion just made the database's permission bits and, where
// this user belongs to it, the database's group: a team whose files are
// group-writable can then lock each other out, whatever each one's umask.
void share_like_database(int fd, const std::string& database_path) {
    struct stat database {
    }, companion{};
    if (::stat(database_path.c_str(), &database) != 0 || ::fstat(fd, &companion) != 0) return;
    if (companion.st_gid != database.st_gid)
        (void)::fchown(fd, static_cast<uid_t>(-1), database.st_gid);
    (void)::fchmod(fd, database.st_mode & 0666);
}

// The companion open for writing (an exclusive flock needs that, over NFS
// always); -1 with errno otherwise.  Made new only when `create`: then
// O_EXCL tells whether this call made it, and only a companion made here
// takes the database's permissions.
int open_companion(const std::string& path, const std::string& database_path, bool create) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (create) {
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                share_like_database(fd, database_path);
                return fd;
            }
            if (errno != EEXIST) return -1;
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT || !create) return fd;
        // Deleted with its database between the two opens: make it again.
    }
    return -1;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Somebody may hold the lock, and we cannot ask: refused like a lock held.
EngineError cannot_tell(const std::string& database_path, const std::string& companion, int error) {
    return {ErroEmUso, "Não é possível saber se a base de dados '" + database_path +
                           "' está em uso: o ficheiro de bloqueio '" + companion +
                           "' não pode ser bloqueado (" + describe_errno(error) + ")."};
}

int flock_retrying(int fd, int operation) {
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

}  // namespace

std::string companion_path(const std::string& database_path) {
    const auto slash = database_path.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return database_path.substr(0, name) + "." + database_path.substr(name) + ".lock";
}

bool InUse(const std::string& database_path) {
    const std::string companion = companion_path(database_path);
    const int fd = open_companion(companion, database_path, false);
    // A companion we cannot open for writing may be held by its owner.
    if (fd < 0) return exists(companion);
    const bool taken = flock_retrying(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);  // also drops the lock if it was taken
    return !taken;
}

CompanionLock::CompanionLock(const std::string& database_path, Mode mode) {
    const std::string companion = companion_path(database_path);
    const int fd = open_companion(companion, database_path, true);
    if (fd < 0) {
        const int error = errno;
        // A reader goes on without a lock; whoever would replace the
        // database must know that nobody holds it.
        if (mode == Mode::Exclusive && exists(companion))
            throw cannot_tell(database_path, companion, error);
        return;  // none, and none can be made: a folder nobody can change
    }
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (flock_retrying(fd, operation) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) throw in_use(database_path);
        if (mode == Mode::Exclusive) throw cannot_tell(database_path, companion, error);
        return;  // a file system without flock: a reader holds nothing
    }
    fd_ = fd;
}

CompanionLock CompanionLock::Adopt(int fd, const std::string& database_path) {
    struct stat held {
    }, companion{};
    if (fd < 0 || ::fstat(fd, &held) != 0 ||
        ::stat(companion_path(database_path).c_str(), &companion) != 0 ||
        held.st_dev != companion.st_dev || held.st_ino != companion.st_ino) {
        throw in_use(database_path);
    }
    // Somebody holds the exclusive lock: a shared one cannot be had...
    const int probe = open_companion(companion_path(database_path), database_path, false);
    const bool exclusive_elsewhere = probe >= 0 && flock_retrying(probe, LOCK_SH | LOCK_NB) != 0;
    if (probe >= 0) ::close(probe);
    // ...and it is `fd`: asking this open file again for the lock it holds
    // changes nothing.  (Never ask a file holding a shared lock for an
    // exclusive one: a refused conversion drops the lock it had.)
    if (!exclusive_elsewhere || flock_retrying(fd, LOCK_EX | LOCK_NB) != 0)
        throw in_use(database_path);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    CompanionLock lock;
    lock.fd_ = fd;
    return lock;
}

CompanionLock::~CompanionLock() { release(); }

CompanionLock::CompanionLock(CompanionLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

CompanionLock& CompanionLock::operator=(CompanionLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void CompanionLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace pezolva::engine
