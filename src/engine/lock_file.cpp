#include "engine/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "engine/error.h"

namespace pezolva::engine {
namespace {

int open_companion(const std::string& path, bool create) {
    const int flags = O_CLOEXEC | (create ? O_CREAT : 0);
    int fd = ::open(path.c_str(), O_RDWR | flags, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    return fd;
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
    const int fd = open_companion(companion_path(database_path), false);
    if (fd < 0) return false;
    const bool busy = flock_retrying(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the lock if it was taken
    return busy;
}

CompanionLock::CompanionLock(const std::string& database_path, Mode mode) {
    const int fd = open_companion(companion_path(database_path), true);
    if (fd < 0) return;
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (flock_retrying(fd, operation) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) throw in_use(database_path);
        return;  // a file system without flock: nothing can be held
    }
    fd_ = fd;
}

CompanionLock CompanionLock::Adopt(int fd, const std::string& database_path) {
    struct stat held {}, companion {};
    if (fd < 0 || ::fstat(fd, &held) != 0 || ::stat(companion_path(database_path).c_str(), &companion) != 0 ||
        held.st_dev != companion.st_dev || held.st_ino != companion.st_ino) {
        throw in_use(database_path);
    }
    // Somebody holds the exclusive lock: a shared one cannot be had...
    const int probe = open_companion(companion_path(database_path), false);
    const bool exclusive_elsewhere = probe >= 0 && flock_retrying(probe, LOCK_SH | LOCK_NB) != 0;
    if (probe >= 0) ::close(probe);
    // ...and it is `fd`: asking this open file again for the lock it holds
    // changes nothing.  (Never ask a file holding a shared lock for an
    // exclusive one: a refused conversion drops the lock it had.)
    if (!exclusive_elsewhere || flock_retrying(fd, LOCK_EX | LOCK_NB) != 0) throw in_use(database_path);
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
