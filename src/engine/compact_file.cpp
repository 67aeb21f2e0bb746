#include "engine/compact_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/file_system.h"
#include "engine/database.h"
#include "engine/detail/connection_text.h"
#include "engine/detail/sqlite.h"
#include "engine/error.h"
#include "engine/file_sync.h"
#include "engine/interruption.h"

namespace pezolva::engine {
namespace {

EngineError from_file_error(const FileError& e) {
    return {e.error_number() == ENOSPC ? ErroDiscoCheio : ErroDisco, e.what()};
}

void remove_quietly(const std::string& path) {
    std::error_code ec;
    for (const char* end : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(path + end, ec);
}

// Whether the database file says it is in WAL mode (its header's read and
// write versions are 2).  Read before any connection of ours opens it.
bool in_wal_mode(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    return in.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

// VACUUM INTO always writes a rollback-journal file: a database its users
// keep in WAL mode gets that mode back, so the swap changes nothing for them.
void restore_wal_mode(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(detail::file_uri(path, "mode=rw").c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    detail::ConnectionPtr connection(raw);
    if (rc != SQLITE_OK) throw detail::last_error(connection.get(), path);
    detail::query_value(connection.get(), "PRAGMA journal_mode=WAL", path);
}

}  // namespace

std::string partial_compaction_path(const std::string& destination) {
    const auto slash = destination.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return destination.substr(0, name) + "." + destination.substr(name) + ".parcial";
}

void CompactToNewFile(const std::string& source, const std::string& destination,
                      const std::string& connect, CompanionLock held, CopySync sync) {
    std::error_code ec;
    if (std::filesystem::exists(destination, ec)) {
        throw EngineError(ErroBaseExiste, "A base de dados '" + destination + "' já existe.");
    }
    const std::string partial = partial_compaction_path(destination);
    // Whoever held this lock is gone (or we would not have it): a partial
    // file under the name is what a killed run left.
    CompanionLock building(partial, CompanionLock::Mode::Exclusive);
    remove_quietly(partial);
    const bool wal = in_wal_mode(source);
    try {
        // Synced once, below, rather than by VACUUM INTO and again here.
        CompactHeldDatabase(source, std::move(held), partial, connect, CopySync::LeftToCaller);
        if (wal) restore_wal_mode(partial);
        struct stat from {};
        if (::stat(source.c_str(), &from) == 0) ::chmod(partial.c_str(), from.st_mode & 0777);
        if (sync == CopySync::Synced) FileSync(partial).Wait();
        // A stop asked for meanwhile wins over a copy that happened to end.
        if (interruption_requested() != 0)
            throw EngineError(ErroCancelado, "A operação foi interrompida.");
        LocalFileSystem files;
        files.rename_no_replace(partial, destination);
    } catch (const FileError& e) {
        remove_quietly(partial);
        remove_quietly(companion_path(partial));
        throw from_file_error(e);
    } catch (...) {
        remove_quietly(partial);
        remove_quietly(companion_path(partial));
        throw;
    }
    remove_quietly(companion_path(partial));
}

}  // namespace pezolva::engine
