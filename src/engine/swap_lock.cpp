#include "engine/swap_lock.h"

#include "engine/detail/connection_text.h"
#include "engine/detail/sqlite.h"

namespace pezolva::engine {

namespace {
constexpr int kBusyTimeoutMs = 5000;
}

struct SwapLock::State {
    detail::ConnectionPtr connection;
};

SwapLock::SwapLock(const std::string& path) {
    detail::ConnectionPtr connection =
        detail::open_connection(path, detail::file_uri(path, "mode=rw"), SQLITE_OPEN_READWRITE);
    sqlite3_busy_timeout(connection.get(), kBusyTimeoutMs);
    try {
        detail::exec(connection.get(), "PRAGMA locking_mode=EXCLUSIVE", path);
        detail::exec(connection.get(), "BEGIN EXCLUSIVE", path);
        // In WAL mode the file's lock is taken by the first read.
        detail::query_value(connection.get(), "SELECT count(*) FROM sqlite_schema", path);
    } catch (const EngineError& e) {
        if (e.numero() == ErroBloqueado || e.numero() == ErroEmUso) {
            throw EngineError(ErroEmUso,
                              "A base de dados '" + path + "' está em uso por outro programa.");
        }
        if (e.numero() == ErroDanificada || e.numero() == ErroNaoBaseDados) return;
        throw;
    }
    state_ = std::make_unique<State>(State{std::move(connection)});
}

SwapLock::~SwapLock() { release(); }

void SwapLock::release() {
    if (!state_) return;
    sqlite3_exec(state_->connection.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    state_.reset();
}

}  // namespace pezolva::engine
