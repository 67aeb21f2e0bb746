#pragma once

#include <cstdint>
#include <string>

#include "backup/logs_execucao.h"
#include "backup/progresso.h"
#include "common/services.h"
#include "engine/recordset.h"
#include "project/projecto.h"

namespace pezolva::backup {

// Makes one backup copy of the database that the register row names.
//
// The copy is built from the row's structure database under hidden
// temporary names in the destination folder and takes its copy name (the
// database's name with the minute of the copy) only when it is complete
// and checked (ConstrucaoCopia); only then are the oldest copies beyond the
// number to keep deleted and the row's statistics written.  A run that
// fails leaves no part of a copy behind and deletes nothing: the error log
// says why.
//
//  1. checks the number of copies and the names of the database and its
//     structure;
//  2. opens the live database with the row's password;
//  3. asks to create a missing destination folder, level by level, and
//     removes what killed backups of the database left in it;
//  4. builds, checks and names the copy (ConstrucaoCopia);
//  5. deletes the oldest copies beyond the number to keep (not those that
//     another program has open);
//  6. writes the statistics into the row.
//
// `registo` is positioned on the row and belongs to an updatable recordset
// over BUPS.  Messages and errors go to `log`, progress to `progresso`.
// An interruption request (engine/interruption.h) ends the copy at its next
// step, cleanly, with a line in the error log.
class CopiaBaseDados {
  public:
    CopiaBaseDados(Services& servicos, const ProjectoActual& projecto, LogsExecucao& log,
                   Progresso& progresso)
        : servicos_(servicos), projecto_(projecto), log_(log), progresso_(progresso) {}

    void copia(engine::Recordset& registo);

  private:
    struct Pedido;
    bool le_pedido(engine::Recordset& registo, Pedido& p);
    bool prepara_pasta(Pedido& p);
    void apaga_antigas(const Pedido& p);
    void regista_estatisticas(engine::Recordset& registo, const Pedido& p,
                              std::int64_t total_registos);

    Services& servicos_;
    const ProjectoActual& projecto_;
    LogsExecucao& log_;
    Progresso& progresso_;
};

}  // namespace pezolva::backup
