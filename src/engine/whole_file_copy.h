#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/database.h"

namespace pezolva::engine {

// A snapshot of a live database can stand, page for page, for the copy
// that filling the structure database's tables from it would give, when
// both files define the very same things and no row of the snapshot
// breaks a rule that the copy enforces by checking its rows afterwards
// (a value of the wrong type, a child without its parent).  The rules a
// database enforces as it writes (NOT NULL, UNIQUE, CHECK) the snapshot
// already kept under the same definitions, as SQLite's transfer path also
// trusts.  Moving no row is what makes such a copy cost a file copy.

// Makes the snapshot `source` define exactly what `structure` does, when
// it can: every schema entry of `structure` (kind, name, table and SQL
// text, byte for byte) must be in `source` alike, and both must have the
// same page size, text encoding, auto-vacuum setting, user version and
// application id.  The entries `source` has beyond them (the backup
// register, say, which lives in the database and not in its structure)
// are then dropped from it, as a copy built from the structure would not
// have them; their pages become free pages.  Returns the free pages of
// `source` afterwards, or nullopt, with `source` unchanged, when it
// differs in any other way, holds one of SQLite's own tables that the
// structure lacks, or its schema cannot be read: the rows are then copied
// one table at a time.  The tables named in `structure_rows` (the
// engine's own, which a fill never touches) get the structure's rows in
// place of their own.  `source` must be a private file nobody else opens
// (its changes are journalled in memory and not synced: the caller syncs
// the file before it names it).  Throws EngineError when
// changing it fails.
std::optional<std::int64_t> KeepStructureDefinitions(
    Database& source, Database& structure, const std::vector<std::string>& structure_rows = {});

// What reading every table of a database found.
struct TableRows {
    std::string name;  // as stored
    std::int64_t rows = 0;
};
struct RuleScan {
    std::vector<TableRows> tables;  // every table, in the schema's order
    // Some row holds a text or binary value in a number column, or a
    // foreign key with no parent row.
    bool rule_broken = false;
};

// What reading a file whole found: its rows, and what its quick_check
// found wrong with it (nullopt when nothing).
struct CheckedScan {
    RuleScan rows;
    std::optional<std::string> damage;
};

// Reads every table of the database `path` (opened read-only with
// `connect`, which nobody may change meanwhile): counts its rows and looks
// for rows that break a type or relation rule (one search for the types
// of each table and one for each foreign key), and runs the quick_check
// of the file (QuickCheckPieces): all those pieces in one queue, the larger first, shared by two
// connections on two threads, so that both cores stay busy until the end.
// The work stops early once a row breaks a rule or damage is found (the
// counts are then incomplete).  `checked`, when given, is called on the
// calling thread with each table's name (as stored) once every piece of
// that table is done, in the order they finish.
// Throws EngineError as opening or reading the file does (ErroCancelado on
// an interruption request), and what `checked` throws, once both threads
// are done.
CheckedScan CheckAndScanRows(const std::string& path, const std::string& connect,
                             const std::function<void(const std::string&)>& checked = {});

}  // namespace pezolva::engine
