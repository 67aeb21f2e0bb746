#pragma once

// Private to the engine: the only header that names SQLite's handles.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/value.h"
#include "engine/error.h"

namespace pezolva::engine::detail {

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using ConnectionPtr = std::unique_ptr<sqlite3, ConnectionCloser>;

// The engine error for an SQLite result code (extended codes understood)
// and SQLite's own message; `path` names the database in the description.
// SQLite's English message is appended in parentheses for diagnosis.
EngineError translate_error(int extended_code, std::string_view message, const std::string& path);

// The error for the last failure of `db`.
EngineError last_error(sqlite3* db, const std::string& path);

// A connection to `path` through `uri` ("file:" URI; `flags` besides
// SQLITE_OPEN_URI and SQLITE_OPEN_NOMUTEX), with extended result codes.
// Throws EngineError naming `path` when SQLite cannot open it.
ConnectionPtr open_connection(const std::string& path, const std::string& uri, int flags);

// When `thrown` was made from the last failure of `db` and that failure is
// one of the files or the connection rather than of a statement (a full
// disk, an input/output error, damage, a lock, a file that cannot be
// opened or written, memory, an interruption), that error again with the
// same number, its description naming the file it is about in a statement
// that reads `source` (the connection's main database) and writes
// `target` (an attached file): the target for a full disk and for what
// only writing does (writes, syncs, truncation, its journal); the source
// for reads and damage, which the source, read whole, is far likelier to
// meet than the target.  nullopt for any other error.
std::optional<EngineError> storage_failure(sqlite3* db, const EngineError& thrown,
                                           const std::string& source, const std::string& target);

// `error` (one translate_error made) again with the same number, its
// description naming `path` instead of the file it named.
EngineError naming(const EngineError& error, const std::string& path);

// One prepared statement, finalized when the object goes.
class Statement {
  public:
    // Prepares the first statement of `sql`; throws EngineError.  `tail`,
    // when given, receives the text after that statement.
    Statement(sqlite3* db, std::string_view sql, const std::string& path,
              std::string_view* tail = nullptr);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // False when the text held only blanks or comments: nothing to run.
    bool empty() const { return stmt_ == nullptr; }

    // Runs to the next row: true when a row is there, false when done.
    // Throws EngineError on failure (the statement is then reset).
    bool step();
    // Steps until done; throws on failure.
    void run();
    void reset();
    void clear_bindings();

    void bind(int index, const Value& value);
    void bind_text(int index, std::string_view text);
    void bind_int64(int index, std::int64_t number);
    void bind_null(int index);

    int column_count() const;
    std::string column_name(int i) const;
    // The declared type of a result column that is a table column, else "".
    std::string column_decltype(int i) const;
    int column_type(int i) const;
    std::int64_t column_int64(int i) const;
    double column_double(int i) const;
    std::string column_text(int i) const;
    // The column as stored: Null, whole number, real, or text (blobs as
    // their bytes).
    Value column_value(int i) const;

    bool read_only() const;
    sqlite3_stmt* get() const { return stmt_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    std::string path_;
};

// Runs every statement of `sql`, ignoring rows.  Throws EngineError.
void exec(sqlite3* db, std::string_view sql, const std::string& path);

// The single value of a one-row, one-column query, or Null when it gives
// no row.
Value query_value(sqlite3* db, std::string_view sql, const std::string& path);

}  // namespace pezolva::engine::detail
