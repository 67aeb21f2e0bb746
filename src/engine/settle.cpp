#include "engine/settle.h"

#include <filesystem>

#include "engine/detail/connection_text.h"
#include "engine/detail/sqlite.h"

namespace pezolva::engine {

void SettleJournals(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(detail::file_uri(path, "mode=rw").c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    detail::ConnectionPtr connection(raw);
    if (rc != SQLITE_OK) {
        if (!connection) throw EngineError(ErroMotor, "Memória insuficiente para abrir '" + path + "'.");
        throw detail::last_error(connection.get(), path);
    }
    sqlite3_extended_result_codes(connection.get(), 1);
    // The first read rolls a hot journal back; in WAL mode, the last
    // connection to close checkpoints the WAL and deletes it with its
    // shared-memory file.
    detail::query_value(connection.get(), "SELECT count(*) FROM sqlite_schema", path);
}

}  // namespace pezolva::engine
