#include "engine/detail/db_state.h"

namespace pezolva::engine::detail {

DbState::DbState(std::string path, ConnectionPtr connection, CompanionLock lock, bool read_only)
    : path_(std::move(path)),
      connection_(std::move(connection)),
      lock_(std::move(lock)),
      read_only_(read_only) {}

DbState::~DbState() { close(); }

sqlite3* DbState::db() const {
    if (!connection_) throw object_closed();
    return connection_.get();
}

Statement& DbState::cached(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
        it = cache_.emplace(sql, std::make_unique<Statement>(db(), sql, path_)).first;
    } else {
        it->second->reset();
        it->second->clear_bindings();
    }
    return *it->second;
}

void DbState::close() {
    cache_.clear();  // statements first: they belong to the connection
    connection_.reset();
    lock_.release();
}

TransactionGuard::TransactionGuard(DbState& state, bool immediate) : state_(&state) {
    state.exec(immediate ? "BEGIN IMMEDIATE" : "BEGIN");
}

TransactionGuard::~TransactionGuard() { rollback(); }

void TransactionGuard::commit() {
    try {
        state_->exec("COMMIT");
    } catch (...) {
        // A failed COMMIT can leave the transaction open: end it here.
        rollback();
        throw;
    }
    active_ = false;
}

void TransactionGuard::rollback() {
    if (!active_) return;
    active_ = false;
    if (state_->open() && sqlite3_get_autocommit(state_->db()) == 0) {
        sqlite3_exec(state_->db(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

Savepoint::Savepoint(DbState& state, std::string name) : state_(&state), name_(std::move(name)) {
    state.exec("SAVEPOINT " + name_);
}

Savepoint::~Savepoint() {
    if (active_ && state_->open()) {
        const std::string undo = "ROLLBACK TO " + name_ + "; RELEASE " + name_;
        sqlite3_exec(state_->db(), undo.c_str(), nullptr, nullptr, nullptr);
    }
}

void Savepoint::release() {
    state_->exec("RELEASE " + name_);
    active_ = false;
}

ForeignKeysOff::ForeignKeysOff(DbState& state) : state_(&state) {
    if (sqlite3_get_autocommit(state.db()) == 0) {
        throw EngineError(ErroMotor,
                          "Não é possível efectuar esta operação dentro de uma transacção.");
    }
    was_on_ = state.value("PRAGMA foreign_keys").to_integer().value_or(0) != 0;
    state.exec("PRAGMA foreign_keys=OFF");
}

ForeignKeysOff::~ForeignKeysOff() {
    if (was_on_ && state_->open()) {
        sqlite3_exec(state_->db(), "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
    }
}

}  // namespace pezolva::engine::detail
