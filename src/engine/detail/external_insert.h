#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
// open transaction.
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

// Copies the rows of table `source` (of "main") into `target` (of the
// attached file), inside the caller's transaction, then takes out the rows
// just put in that break a type or relation rule of the target, unless
// `known_clean` (when given) says from what the insert did that none can.
// The plain insert comes first; when a row breaks a NOT NULL, UNIQUE or
// CHECK rule it fails whole and the rows go again with OR IGNORE.  Throws
// EngineError; what it did is then the caller's to roll back.
CopiedTable copy_table_rows(DbState& state, const RuleTable& target, const std::string& source,
                            const std::function<bool(const InsertedRows&)>& known_clean = {});

}  // namespace pezolva::engine::detail
