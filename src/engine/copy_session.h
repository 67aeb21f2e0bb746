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
    // same name, the columns matched by name without regard to case (a
    // target column with no namesake in the source gets its default, or
    // Null, and a row that then breaks a rule is left out).  All or
    // nothing.  Errors come in two kinds:
    //  - of the table: the target's table is unchanged, and the session
    //    goes on with the next table:
    //      ErroTabelaInexistente  either table is missing;
    //      ErroColuna             a column of the source table has no
    //                             namesake in the target's (the
    //                             description names the table, the field
    //                             and the file);
    //      any other number not listed below, for a statement the two
    //      tables' definitions make fail (a collating sequence this
    //      connection does not know, say);
    //  - of the files or the connection: the session is broken (Broken()
    //    is true), the target goes back to what it was before the
    //    session, and every later CopyTable, and Finish, throw ErroMotor
    //    naming this first error:
    //      ErroDiscoCheio (3026)  no space left; names the target file;
    //      ErroDisco (3043)       an input/output error; names the target
    //                             when writing failed, the source when
    //                             reading did;
    //      ErroDanificada (3049), ErroNaoBaseDados (3343)  damage met
    //                             while reading; names the source;
    //      ErroSoLeitura (3027), ErroAbrirFicheiro (3051)  the target (or
    //                             its journal) cannot be written;
    //      ErroBloqueado (3218)   a lock not granted in time;
    //      ErroCancelado (3059)   an interruption was requested;
    //      ErroMotor (3000)       memory, or any error after which SQLite
    //                             ended the transaction.
    // Rows left out for breaking a rule are never an error: they only make
    // `kept` fall short of `read`.
    CopiedRows CopyTable(std::string_view table);

    // Commits the target, without syncing it, then ends the session.
    // True when the target is as compact as VACUUM INTO would make it:
    // every table was copied by SQLite's transfer path into an empty table
    // and kept every row, no copy failed, and the file has no free page.
    // (The target's other pages, those it had before, are as they were.)
    // False when it should be compacted.  Throws EngineError, leaving the
    // target as it was: ErroMotor when the session is broken, or the
    // commit's own error (ErroDiscoCheio... naming the target).
    bool Finish();

    // True once an error of the files or the connection ended the session
    // (see CopyTable): the copy is incomplete and cannot be finished.
    bool Broken() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pezolva::engine
