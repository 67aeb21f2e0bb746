#include "engine/snapshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "common/text.h"
#include "engine/detail/db_state.h"
#include "engine/interruption.h"

namespace pezolva::engine {
namespace {

constexpr std::size_t kBlock = 1 << 20;

EngineError write_error(int error_number, const std::string& target) {
    if (error_number == ENOSPC || error_number == EDQUOT) {
        return {ErroDiscoCheio, "Não há espaço suficiente no disco para o ficheiro '" + target + "'."};
    }
    return {ErroDisco, "Erro de disco ao escrever o ficheiro '" + target + "'."};
}

// The target file, removed when the copy does not finish.
class Target {
public:
    Target(const std::string& path, mode_t mode) : path_(path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0) {
            if (errno == EEXIST) throw EngineError(ErroBaseExiste, "A base de dados '" + path + "' já existe.");
            throw write_error(errno, path);
        }
    }
    ~Target() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    void write(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw write_error(errno, path_);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
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

void check_interruption() {
    if (interruption_requested() != 0) throw EngineError(ErroCancelado, "A operação foi interrompida.");
}

}  // namespace

bool SnapshotFile(Database& database, const std::string& target, mode_t mode) {
    detail::DbState& state = *database.state();
    if (iequals(state.value("PRAGMA main.journal_mode").to_text(), "wal")) return false;

    // The file is read through SQLite's own handle: opening it a second time
    // here and closing it would drop the locks this process holds on it.
    detail::TransactionGuard reading(state, false);
    state.value("SELECT count(*) FROM main.sqlite_schema");  // takes the shared lock
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(state.db(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        throw EngineError(ErroMotor, "Não foi possível ler o ficheiro da base de dados '" + state.path() + "'.");
    }
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK) {
        throw EngineError(ErroDisco, "Erro de disco ao aceder à base de dados '" + state.path() + "'.");
    }

    Target out(target, mode);
    std::vector<char> block(kBlock);
    for (sqlite3_int64 offset = 0; offset < size;) {
        check_interruption();
        const int n = static_cast<int>(std::min<sqlite3_int64>(kBlock, size - offset));
        if (file->pMethods->xRead(file, block.data(), n, offset) != SQLITE_OK) {
            throw EngineError(ErroDisco, "Erro de disco ao aceder à base de dados '" + state.path() + "'.");
        }
        out.write(block.data(), static_cast<std::size_t>(n));
        offset += n;
    }
    reading.rollback();  // other users may commit again from here on
    out.keep();
    return true;
}

}  // namespace pezolva::engine
