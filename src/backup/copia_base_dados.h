#pragma once

#include <string>

#include "backup/progresso.h"
#include "backup/registo_execucao.h"
#include "common/services.h"
#include "engine/recordset.h"
#include "interface/projecto.h"

namespace pezolva::backup {

// Makes one backup copy of the database that the register row names.
//
// The copy is built from the row's structure database under a temporary
// name in the destination folder, filled table by table from the live
// database in relation order, compacted and checked; only then does it
// take its copy name (the database's name with the minute of the copy),
// and only then are the oldest copies beyond the number to keep deleted
// and the row's statistics written.  A run that fails leaves no part of a
// copy behind and deletes nothing: the error log says why.
//
//  1. checks the number of copies and the names of the database and its
//     structure;
//  2. opens the live database with the row's password;
//  3. asks to create a missing destination folder, level by level;
//  4. copies the structure to a temporary file and compares versions;
//  5. orders the tables by their relations (a cycle stops the run);
//  6. empties the copy's tables, then fills them, comparing each
//     definition with the live one first; every table is read in one read
//     transaction of the live database, so the copy is of one moment
//     (in a rollback-journal database, other users' commits wait for the
//     fill, as they wait for VACUUM INTO);
//  7. compacts into a second temporary file, unless the fill left nothing
//     to compact, and checks it: it opens with the password, passes
//     SQLite's quick check and each table holds the rows put into it; an
//     uncompacted copy is synced meanwhile;
//  8. names it, replacing a copy made in the same minute only now;
//  9. deletes the oldest copies beyond the number to keep;
// 10. writes the statistics into the row.
//
// `registo` is positioned on the row and belongs to an updatable recordset
// over BUPS.  Messages and errors go to `log`, progress to `progresso`.
class CopiaBaseDados {
public:
    CopiaBaseDados(Services& servicos, const ProjectoActual& projecto, RegistoExecucao& log,
                   Progresso& progresso)
        : servicos_(servicos), projecto_(projecto), log_(log), progresso_(progresso) {}

    void copia(engine::Recordset& registo);

private:
    Services& servicos_;
    const ProjectoActual& projecto_;
    RegistoExecucao& log_;
    Progresso& progresso_;
};

}  // namespace pezolva::backup
