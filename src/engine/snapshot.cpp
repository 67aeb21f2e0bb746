#include "engine/snapshot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "common/file_system.h"
#include "common/text.h"
#include "engine/detail/db_state.h"
#include "engine/interruption.h"

namespace pezolva::engine {
namespace {

// Read through SQLite: a block at a time.  Copied by the kernel: large
// enough to cost nothing per call, small enough for an interruption or the
// progress to be seen within a fraction of a second.
constexpr std::size_t kBlock = 1 << 20;
constexpr std::size_t kKernelBlock = 64 << 20;

EngineError write_error(int error_number, const std::string& target) {
    if (error_number == ENOSPC || error_number == EDQUOT) {
        return {ErroDiscoCheio,
                "Não há espaço suficiente no disco para o ficheiro '" + target + "'."};
    }
    return {ErroDisco, "Erro de disco ao escrever o ficheiro '" + target + "'."};
}

EngineError read_error(const std::string& database) {
    return {ErroDisco, "Erro de disco ao aceder à base de dados '" + database + "'."};
}

void check_interruption() {
    if (interruption_requested() != 0)
        throw EngineError(ErroCancelado, "A operação foi interrompida.");
}

// The target file, removed when the copy does not finish.
class Target {
  public:
    Target(const std::string& path, mode_t mode) : path_(path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0) {
            if (errno == EEXIST)
                throw EngineError(ErroBaseExiste, "A base de dados '" + path + "' já existe.");
            throw write_error(errno, path);
        }
    }
    ~Target() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    void write_at(const char* data, std::size_t size, off_t offset) {
        while (size > 0) {
            const ssize_t n = ::pwrite(fd_, data, size, offset);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw write_error(errno, path_);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
            offset += n;
        }
    }
    // Drops what an abandoned attempt wrote.
    void empty() {
        if (::ftruncate(fd_, 0) != 0) throw write_error(errno, path_);
    }
    void keep() {
        const int rc = ::close(fd_);
        fd_ = -1;
        if (rc != 0) throw write_error(errno, path_);
        kept_ = true;
    }

  private:
    std::string path_;
    int fd_ = -1;
    bool kept_ = false;
};

using Progress = std::function<void(std::int64_t, std::int64_t)>;

// The connection's own file layer, as SQLite holds it (a shim that passes
// its calls through to the unix layer would name that one if asked by file).
bool plain_unix_layer(detail::DbState& state) {
    sqlite3_vfs* layer = nullptr;
    return sqlite3_file_control(state.db(), "main", SQLITE_FCNTL_VFS_POINTER, &layer) ==
               SQLITE_OK &&
           layer != nullptr && layer->zName != nullptr && std::strcmp(layer->zName, "unix") == 0;
}

bool same_file(int fd, const struct stat& file) {
    struct stat s {};
    return ::fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_dev == file.st_dev &&
           s.st_ino == file.st_ino;
}

// The descriptor through which SQLite's unix layer reads the database: the
// layer does not publish it, so it is found among this process's open
// files by the file's device and inode.  While the connection holds its
// shared lock the layer closes no descriptor of that file (closing one
// would drop the process's locks on it), and nothing else here opens a
// live database, so the descriptor stays what it is for the copy.
std::optional<int> sqlite_descriptor(detail::DbState& state, struct stat& file) {
    const char* path = sqlite3_db_filename(state.db(), "main");
    if (path == nullptr || ::stat(path, &file) != 0) return std::nullopt;
    DIR* fds = ::opendir("/proc/self/fd");
    if (fds == nullptr) return std::nullopt;
    std::optional<int> found;
    while (const dirent* entry = ::readdir(fds)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(fds)) continue;
        const int flags = ::fcntl(static_cast<int>(fd), F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) == O_WRONLY) continue;
        if (same_file(static_cast<int>(fd), file)) {
            found = static_cast<int>(fd);
            break;
        }
    }
    ::closedir(fds);
    return found;
}

// Copies in the kernel from `from` as far as it can; returns how far it
// got.  A file system that cannot copy between the two files, or any error
// but a full disk, ends it early: the rest is read through SQLite, which
// then tells a read error from a write error.
std::int64_t copy_in_kernel(int from, Target& out, std::int64_t size, const Progress& copied) {
    check_interruption();
    const KernelCopied done =
        kernel_copy(from, out.fd(), 0, size, kKernelBlock, [&](std::int64_t bytes) {
            if (copied) copied(bytes, size);
            check_interruption();
        });
    if (done.error_number == ENOSPC || done.error_number == EDQUOT)
        throw write_error(done.error_number, out.path());
    return done.bytes;
}

void read_through_sqlite(sqlite3_file* file, const std::string& database, Target& out,
                         std::int64_t from, std::int64_t size, const Progress& copied) {
    std::vector<char> block(kBlock);
    for (std::int64_t offset = from; offset < size;) {
        check_interruption();
        const int n = static_cast<int>(std::min<std::int64_t>(kBlock, size - offset));
        if (file->pMethods->xRead(file, block.data(), n, offset) != SQLITE_OK)
            throw read_error(database);
        out.write_at(block.data(), static_cast<std::size_t>(n), offset);
        offset += n;
        if (copied) copied(offset, size);
    }
}

}  // namespace

bool SnapshotFile(Database& database, const std::string& target, mode_t mode,
                  const Progress& copied) {
    detail::DbState& state = *database.state();
    if (iequals(state.value("PRAGMA main.journal_mode").to_text(), "wal")) return false;

    // Never a descriptor of our own on the live file: closing it would drop
    // the locks this process holds on it.
    detail::TransactionGuard reading(state, false);
    state.value("SELECT count(*) FROM main.sqlite_schema");  // takes the shared lock
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(state.db(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        throw EngineError(
            ErroMotor, "Não foi possível ler o ficheiro da base de dados '" + state.path() + "'.");
    }
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK) throw read_error(state.path());

    Target out(target, mode);
    std::int64_t done = 0;
    struct stat live {};
    if (plain_unix_layer(state)) {
        if (const std::optional<int> fd = sqlite_descriptor(state, live)) {
            done = copy_in_kernel(*fd, out, size, copied);
            // Had the descriptor come to name another file meanwhile, the
            // bytes copied would not be the database's: start again.
            if (!same_file(*fd, live)) {
                out.empty();
                done = 0;
            }
        }
    }
    read_through_sqlite(file, state.path(), out, done, size, copied);
    check_interruption();
    reading.rollback();  // other users may commit again from here on
    out.keep();
    return true;
}

}  // namespace pezolva::engine
