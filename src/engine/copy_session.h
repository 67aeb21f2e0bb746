#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/database.h"

namespace pezolva::engine {

// The rows of one table copied in a CopySession.
struct CopiedRows {
    std::int64_t read = 0;  // rows of the source table
    std::int64_t kept = 0;  // rows the target kept: those that break none of its rules
};

// Copies tables of an open database into another database file, each as
// "insert into T in 'file' select * from T" does on its own: rows that
// break a rule of the target (foreign key, NOT NULL, uniqueness, CHECK, or
// a text or binary value in a numeric column) are left out and not kept,
// the target's rows from before are left alone.  Unlike one statement per
// table, a session
//  - reads every table from one state of the source: its read transaction
//    lasts from the constructor to Finish (in a rollback-journal database
//    other users' commits wait for it, as they do for VACUUM INTO), so a
//    child row and its parent are copied from the same moment;
//  - attaches the file once, with one commit at the end, not synced (the
//    builder syncs the file before naming it, FileSync, or compacts it
//    into another that SQLite syncs);
//  - proves, when it can, on a second connection and a second core, that
//    no source row breaks a rule of the target, so that the checks on the
//    target are skipped for that table;
//  - tells at the end whether the target came out compact.
// The target is meant to be a file being built: until Finish its changes
// are one uncommitted transaction, and nobody else may read or write it
// (nor may the caller use the source for anything else).
class CopySession {
public:
    // `tables` are the tables to be copied, in the order they will be
    // (parents before children); others may still be copied, unhelped.
    // Throws EngineError as "insert into ... in" does for the file, and
    // ErroMotor inside an open transaction of `source`.
    CopySession(Database& source, const std::string& file, const std::vector<std::string>& tables);
    // Without Finish, the target is left as it was.
    ~CopySession();
    CopySession(const CopySession&) = delete;
    CopySession& operator=(const CopySession&) = delete;

    // Copies table `table` of the source into the target's table of the
    // same name.  All or nothing: on an error (ErroTabelaInexistente when
    // either table is missing) that table of the target is unchanged and
    // the session goes on, unless the error ended the whole transaction
    // (a full disk, say): then this and every later call, and Finish,
    // throw.
    CopiedRows CopyTable(std::string_view table);

    // Commits the target, without syncing it, then ends the session.
    // True when the target is as compact as VACUUM INTO would make it:
    // every table was copied by SQLite's transfer path into an empty table
    // and kept every row, no copy failed, and the file has no free page.
    // (The target's other pages, those it had before, are as they were.)
    // False when it should be compacted.  Throws EngineError, leaving the
    // target as it was.
    bool Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pezolva::engine
