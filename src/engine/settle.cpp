#include "engine/settle.h"

#include <filesystem>

#include "engine/detail/connection_text.h"
#include "engine/detail/sqlite.h"

namespace pezolva::engine {

void SettleJournals(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    detail::ConnectionPtr connection =
        detail::open_connection(path, detail::file_uri(path, "mode=rw"), SQLITE_OPEN_READWRITE);
    // The first read rolls a hot journal back; in WAL mode, the last
    // connection to close checkpoints the WAL and deletes it with its
    // shared-memory file.
    detail::query_value(connection.get(), "SELECT count(*) FROM sqlite_schema", path);
}

}  // namespace pezolva::engine
