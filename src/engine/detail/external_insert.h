#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "engine/detail/db_state.h"
#include "engine/detail/dialect.h"
#include "engine/detail/external_insert_rules.h"

namespace pezolva::engine::detail {

// Copies the rows of the source table of this database into the table of
// the same name in another database file, and returns the rows kept.  The
// file is opened by the rules of any open (ExternalFile::OpenRules), with
// the password that opened this database.
// Rows that break a rule of the target (foreign key, NOT NULL, uniqueness,
// CHECK, or a text or binary value in a numeric column) are left out and
// not counted; the target's rows from before are left alone.  All or
// nothing: on an error the target is unchanged and the file detached.
// ErroFicheiroInexistente when the file does not exist (none is created),
// ErroTabelaInexistente when either table is missing, ErroMotor inside an
// open transaction.  Fields are matched by name as copy_table_rows says
// (ErroColuna for a source field the target lacks), and a failure of the
// files names the file it is about.
std::int64_t insert_into_external(DbState& state, const ExternalInsert& insert);

// The schema name under which the target file is attached.
inline constexpr const char* kExternalSchema = "pz_ext";

// Another database file attached as kExternalSchema, with foreign keys off
// on the connection, for the life of the object: rows then travel by
// SQLite's transfer path (raw records) instead of one by one, and the
// foreign keys are checked afterwards.  Detaches and turns foreign keys
// back on when it goes, also when an error unwinds.
// ErroFicheiroInexistente when the file does not exist (none is created);
// errors of the file itself (not a database, damaged, locked) name it;
// ErroMotor inside an open transaction.
class ExternalFile {
  public:
    // The rules every open follows, for a file named in a statement: the
    // companion lock is held shared for the object's life (ErroEmUso while
    // another holds it exclusively), an empty file is not a database
    // (ErroNaoBaseDados), the file must be writable (ErroAbrirFicheiro) and
    // `password` must pass its gate (ErroPalavraPasse).
    struct OpenRules {
        std::string password;
    };
    ExternalFile(DbState& state, const std::string& file, const OpenRules& rules);
    // A file that the caller has already opened with its password and
    // holds: it is only attached.
    ExternalFile(DbState& state, const std::string& file);
    ~ExternalFile();
    ExternalFile(const ExternalFile&) = delete;
    ExternalFile& operator=(const ExternalFile&) = delete;

  private:
    void attach(const std::string& file);
    void detach();

    DbState& state_;
    ForeignKeysOff foreign_keys_off_;
    CompanionLock lock_;
    bool attached_ = false;
};

// What inserting a table's rows did.
struct InsertedRows {
    std::int64_t read = 0;      // rows of the source table
    std::int64_t inserted = 0;  // rows the insert put into the target
    bool plain = false;         // every row went in at the first try
    bool transfer = false;      // by SQLite's transfer path, into an empty table
    bool target_was_empty = false;
};

// The outcome of copying one table.
struct CopiedTable {
    InsertedRows rows;
    std::int64_t removed = 0;  // rows taken out again for breaking a rule
    std::int64_t kept() const { return rows.inserted - removed; }
    // The target now holds exactly the source's rows, nothing more or less.
    bool exact() const { return rows.plain && rows.target_was_empty && removed == 0; }
};

// An error of copy_table_rows that is not about the table but about the
// files or the connection (see storage_failure): what the copy wrote so
// far may be lost with the transaction, and the copy cannot go on.
class StorageError : public EngineError {
  public:
    explicit StorageError(EngineError error) : EngineError(std::move(error)) {}
};

// Copies the rows of table (or view) `source` of "main" into `target` of
// the attached `file`, inside the caller's transaction, then takes out the
// rows just put in that break a type or relation rule of the target,
// unless `known_clean` (when given) says from what the insert did that
// none can.  Columns are matched by name, without regard to case, never by
// position: with the same names in the same order the insert is the plain
// "SELECT *" (which SQLite may run by its transfer path), otherwise both
// sides are listed by name; a target column with no namesake in the source
// gets its default, or Null.  The plain insert comes first; when a row
// breaks a NOT NULL, UNIQUE or CHECK rule, or would give an INTEGER
// PRIMARY KEY a value that is no whole number, it fails whole and the
// rows go again with OR IGNORE, without the latter.
// Throws, and what it did is then the caller's to roll back:
//  - ErroColuna, before writing anything, when a source column has no
//    namesake in the target (the description names the table, the field
//    and `file`);
//  - StorageError when the files or the connection failed (a full disk,
//    an input/output error, damage, an interruption...), never taken for
//    rows refused;
//  - another EngineError for a statement the table's definitions make
//    fail (a collating sequence this connection does not know, say).
CopiedTable copy_table_rows(DbState& state, const RuleTable& target, const std::string& source,
                            const std::string& file,
                            const std::function<bool(const InsertedRows&)>& known_clean = {});

}  // namespace pezolva::engine::detail
