#include "engine/detail/copy_session_probe.h"

#include "engine/detail/connection_text.h"

namespace pezolva::engine::detail {

RuleProbe::RuleProbe(const std::string& path, std::vector<std::vector<std::string>> queries)
    : path_(path), queries_(std::move(queries)), results_(queries_.size()) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file_uri(path, "mode=ro").c_str(), &raw,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    connection_.reset(raw);
    if (rc != SQLITE_OK) {
        if (!connection_)
            throw EngineError(ErroMotor, "Memória insuficiente para abrir '" + path + "'.");
        throw last_error(connection_.get(), path);
    }
    sqlite3_extended_result_codes(connection_.get(), 1);
    // The read lock comes at once or never: waiting could only mean that the
    // conditions above do not hold.
    exec(connection_.get(), "BEGIN", path_);
    query_value(connection_.get(), "SELECT count(*) FROM sqlite_schema", path_);
    thread_ = std::thread([this] { run(); });
}

RuleProbe::~RuleProbe() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    sqlite3_interrupt(connection_.get());
    if (thread_.joinable()) thread_.join();
    sqlite3_exec(connection_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<bool> RuleProbe::found(std::size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return results_[i].has_value(); });
    return *results_[i];
}

void RuleProbe::run() {
    for (std::size_t i = 0; i < queries_.size(); ++i) {
        std::optional<bool> result = false;
        try {
            for (const std::string& query : queries_[i]) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    if (stop_) break;
                }
                Statement statement(connection_.get(), query, path_);
                if (statement.step()) {
                    result = true;
                    break;
                }
            }
        } catch (const EngineError&) {
            result = std::nullopt;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) result = std::nullopt;
        results_[i] = result;
        done_.notify_all();
    }
}

}  // namespace pezolva::engine::detail
