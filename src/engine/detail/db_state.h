#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "engine/detail/sqlite.h"
#include "engine/lock_file.h"

namespace pezolva::engine::detail {

// What a Database, its recordsets and its table definitions share: the
// connection, the companion lock and a cache of prepared statements.
// close() releases all of them at once; any later use throws ErroObjectoFechado.
class DbState {
  public:
    DbState(std::string path, ConnectionPtr connection, CompanionLock lock, bool read_only);
    ~DbState();
    DbState(const DbState&) = delete;
    DbState& operator=(const DbState&) = delete;

    const std::string& path() const { return path_; }
    bool read_only() const { return read_only_; }
    bool open() const { return connection_ != nullptr; }

    // The connection; throws ErroObjectoFechado after close().
    sqlite3* db() const;

    // A prepared statement kept for the life of the connection; it comes
    // back reset with its bindings cleared.
    Statement& cached(const std::string& sql);

    void exec(std::string_view sql) { detail::exec(db(), sql, path_); }
    Value value(std::string_view sql) { return query_value(db(), sql, path_); }
    Statement prepare(std::string_view sql) { return Statement(db(), sql, path_); }

    // Rows changed by the last finished INSERT, UPDATE or DELETE.
    std::int64_t changes() const { return sqlite3_changes64(db()); }
    // Rows changed through this connection since it opened.
    std::int64_t total_changes() const { return sqlite3_total_changes64(db()); }
    bool in_transaction() const { return sqlite3_get_autocommit(db()) == 0; }

    std::int64_t records_affected = 0;
    // The password that opened the file; another file this connection
    // writes into (an external insert) must open with it, as a copy of this
    // one does.  Kept in memory only.
    std::string password;

    void close();

  private:
    std::string path_;
    std::unordered_map<std::string, std::unique_ptr<Statement>> cache_;
    ConnectionPtr connection_;
    CompanionLock lock_;
    bool read_only_;
};

// A transaction on the connection, rolled back when the object goes
// without commit().  BEGIN IMMEDIATE: the write lock is taken at once.
class TransactionGuard {
  public:
    explicit TransactionGuard(DbState& state, bool immediate = true);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit();
    void rollback();

  private:
    DbState* state_;
    bool active_ = true;
};

// A savepoint, rolled back to and released when the object goes without
// release(); inside a transaction it nests, outside it is one.
class Savepoint {
  public:
    Savepoint(DbState& state, std::string name);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void release();

  private:
    DbState* state_;
    std::string name_;
    bool active_ = true;
};

// Turns PRAGMA foreign_keys off for its life and back on after, outside
// any transaction (the pragma is ignored inside one).  Throws EngineError
// when a transaction is open, because the switch would not happen.
class ForeignKeysOff {
  public:
    explicit ForeignKeysOff(DbState& state);
    ~ForeignKeysOff();
    ForeignKeysOff(const ForeignKeysOff&) = delete;
    ForeignKeysOff& operator=(const ForeignKeysOff&) = delete;

  private:
    DbState* state_;
    bool was_on_;
};

}  // namespace pezolva::engine::detail
