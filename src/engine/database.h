#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/collection.h"
#include "engine/error.h"
#include "engine/lock_file.h"
#include "engine/recordset.h"
#include "engine/schema.h"
#include "engine/table_def.h"

namespace pezolva::engine {

struct CheckedScan;

namespace detail {
class DbState;
class TransactionGuard;
}  // namespace detail

// Whether a copy is made durable by the call that writes it, or left in
// the system's cache for a caller that syncs it itself (while it checks the
// copy, say) before anything relies on it.
enum class CopySync { Synced, LeftToCaller };

// An open database.  Copies share one connection; Close() closes it for
// every copy and for the recordsets and table definitions opened from it.
// The connection also closes when the last of them goes.  While open, the
// companion lock (lock_file.h) is held (shared, or exclusive).
class Database {
  public:
    Database() = default;  // not open

    const std::string& path() const;
    bool IsOpen() const;

    // The tables in stored order, system tables ("MSys...") included,
    // SQLite's own sqlite_* tables and views left out.
    Collection<engine::TableDef> TableDefs() const;
    // One table, by name without regard to case; ErroItemInexistente when
    // there is none.
    engine::TableDef TableDef(std::string_view name) const;
    // The foreign-key constraints of every table, by referencing table in
    // stored order, then in the order they are written.
    Collection<Relation> Relations() const;

    // A recordset over a table name or a statement, on its first row.
    // ErroTabelaInexistente / ErroColuna when a table or column is missing.
    Recordset OpenRecordset(std::string_view source);

    // Runs a statement (or several).  "delete * from T" and "insert into T
    // in 'file' select * from T" are understood; everything else goes to
    // SQLite as written.  RecordsAffected() then gives the rows touched.
    void Execute(std::string_view statement);
    std::int64_t RecordsAffected() const;

    // A new, not yet stored table definition; AppendTableDef stores it
    // (with its fields and indexes) and attaches `definition` to this
    // database.  ErroTabelaExiste when the name is taken.
    engine::TableDef CreateTableDef(std::string name) const;
    void AppendTableDef(engine::TableDef& definition);
    // Drops the table; ErroItemInexistente when there is none.
    void DeleteTableDef(std::string_view name);

    // Changes the password: `old_password` must open the file (ErroPalavraPasse
    // otherwise); an empty `new_password` removes it; one holding ";" is
    // refused (ErroArgumento) and the old one stays.
    void NewPassword(const std::string& old_password, const std::string& new_password);

    // Closes the connection and releases the companion lock.  Harmless
    // when already closed.
    void Close();

  private:
    friend class Transaction;
    friend class CopySession;
    friend Database open_database(const std::string&, bool, bool, const std::string&);
    friend Database CreateDatabase(const std::string&, const std::string&);
    friend Database OpenHeldDatabase(const std::string&, const std::string&);
    friend void CompactHeldDatabase(const std::string&, CompanionLock, const std::string&,
                                    const std::string&, CopySync);
    friend bool SnapshotFile(Database&, const std::string&, mode_t,
                             const std::function<void(std::int64_t, std::int64_t)>&);
    friend std::optional<std::int64_t> KeepStructureDefinitions(Database&, Database&,
                                                                const std::vector<std::string>&);
    friend CheckedScan CheckAndScanRows(const std::string&, const std::string&,
                                        const std::function<void(const std::string&)>&);
    friend class QuickCheckPieces;
    explicit Database(std::shared_ptr<detail::DbState> state) : state_(std::move(state)) {}
    // The shared state of an open database; ErroObjectoFechado otherwise.
    std::shared_ptr<detail::DbState> state() const;

    std::shared_ptr<detail::DbState> state_;
};

// A transaction on a database, rolled back when the object goes unless
// Commit() was called.
class Transaction {
  public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();
    void Rollback();

  private:
    std::shared_ptr<detail::DbState> state_;
    std::unique_ptr<detail::TransactionGuard> guard_;
};

// Opens a database.  `connect` is ";pwd=SECRET" (key case-blind; empty or
// ";pwd=" for none).  Fails with ErroFicheiroInexistente (no such file, and
// none is created), ErroNaoBaseDados (not a database), ErroEmUso (held
// exclusively by another user, or held at all when `exclusive`),
// ErroAbrirFicheiro (no permission; also a read-write open of a file that
// cannot be written) or ErroPalavraPasse.  Foreign keys are enforced.
Database OpenDatabase(const std::string& path, bool exclusive = false, bool read_only = false,
                      const std::string& connect = ";pwd=");

// Opens a database read-only for the holder of its exclusive companion
// lock, who could not take the companion again; otherwise as OpenDatabase.
Database OpenHeldDatabase(const std::string& path, const std::string& connect);

// Creates a new, empty database with `password` ("" for none).
// ErroBaseExiste when the file exists; ErroArgumento, and no file, for a
// password holding ";", which no connect string could carry.
Database CreateDatabase(const std::string& path, const std::string& password = "");

// Writes a compacted copy of `source` to `destination` (VACUUM INTO).  The
// source is opened read-only and never changed; the copy keeps its
// password.  ErroBaseExiste when the destination exists and is not empty;
// the locale and options are accepted and have no effect.  On failure no
// destination file is left that was not there before.
void CompactDatabase(const std::string& source, const std::string& destination,
                     const std::string& locale = "", int options = 0,
                     const std::string& connect = "");

// CompactDatabase for a source whose companion lock `held` the caller holds
// already (CompanionLock::Adopt): the lock is kept for the call and not
// taken again, so a program started by the holder of the exclusive lock can
// read the database it is about to have replaced.  When `held` holds
// nothing, a shared lock is taken for the call, as CompactDatabase does.
void CompactHeldDatabase(const std::string& source, CompanionLock held,
                         const std::string& destination, const std::string& connect = "",
                         CopySync sync = CopySync::Synced);

// Database::NewPassword, as a function.
void SetPassword(Database& database, const std::string& old_password,
                 const std::string& new_password);

// A session, as callers expect one; it only opens databases.
class Workspace {
  public:
    Workspace(std::string name, std::string user)
        : name_(std::move(name)), user_(std::move(user)) {}
    const std::string& Name() const { return name_; }
    const std::string& UserName() const { return user_; }
    Database OpenDatabase(const std::string& path, bool exclusive = false, bool read_only = false,
                          const std::string& connect = ";pwd=") const;
    void Close() {}

  private:
    std::string name_;
    std::string user_;
};

// The user's password is not used: access is decided by each database's
// own password.
Workspace CreateWorkspace(const std::string& name, const std::string& user,
                          const std::string& password);

}  // namespace pezolva::engine
