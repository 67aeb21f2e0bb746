#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"
#include "common/value.h"
#include "engine/database.h"
#include "engine/recordset.h"
#include "project/projecto.h"

namespace pezolva {

// One line of the backup window's list of databases.
struct LinhaLista {
    std::string nome;     // BUP_NOME_BD: the line's key and text
    std::string destino;  // BUP_CAMINHO_DESTINO, "" for Null
    std::string ultima;   // BUP_ULT_DATA and BUP_ULT_HORA as the window shows them
};

// When the register row `linha` last made its copy, as the windows show
// it ("12-05-2005 18:42:10"); "" when it never did.
std::string ultima_copia(const engine::Recordset& linha);

// The backup register as the window edits it: the project's main database,
// held open while the window lives, and a cursor over the rows of BUPS
// whose current row is the one the window's fields show.  No windows here.
//
// Columns are reached by name; a column the table lacks (a register that
// has not yet been given "n_integridades_bd") reads as Null and has no
// definition.
class RegistoBups {
  public:
    // Opens the main database shared and read-write with the project's
    // password.  Throws engine::EngineError when it cannot be opened.
    void abre(const ProjectoActual& projecto);

    // Opens the cursor over BUPS on its first row.  False, with no cursor,
    // when the table is missing or has no rows.
    bool carrega();
    bool carregado() const { return registo_.IsOpen(); }

    // The lines of the list, in register order.  Leaves the position alone.
    // Rows deleted by another user since the load are left out.
    std::vector<LinhaLista> linhas() const;

    // The names of the rows whose copy is due at `agora`, with the rule the
    // reminder uses, so that its "Fazer" finds the same rows ticked.
    std::vector<std::string> devidas(const DateTime& agora) const;

    // Moves to the first row named `nome`.  When there is none the position
    // stays where it was and false is returned.
    bool vai_para(const std::string& nome);
    bool tem_linha_actual() const;
    // The current row's BUP_NOME_BD ("" when there is no current row).
    std::string nome_actual() const;

    // The current row's value of `coluna`; Null without a current row or
    // without the column.
    Value valor(std::string_view coluna) const;
    // The definition of `coluna` (type and size), or nullptr when the table
    // has no such column.
    const engine::Field* definicao(std::string_view coluna) const;

    // Writes `valor` into the current row (edit and save).  On failure the
    // edit is abandoned, the row keeps its stored values and the
    // engine::EngineError is passed on.
    void grava(std::string_view coluna, const Value& valor);
    // Writes `valor` into every row, one edit and save per row, in one
    // transaction: either every row takes it or none does (the error is
    // passed on).  The position stays.
    void grava_em_todas(std::string_view coluna, const Value& valor);

    // The cursor the backup run works on.  Requires carregado().
    engine::Recordset& recordset() { return registo_; }

  private:
    engine::Database bd_;
    engine::Recordset registo_;
};

}  // namespace pezolva
