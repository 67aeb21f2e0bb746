#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/date_time.h"
#include "register/copias_da_base.h"

namespace pezolva::backup {

// Names of new backup copies and of the files they are built under.  A copy
// of the live database F is named base + stamp + extension
// (register/copias_da_base.h, which also recognises copies): base is F
// without its last four characters (base_copia), stamp is the minute of the
// copy as "yyyymmddhhnn" and extension is those last four characters as
// written in F (brasol.mdb copied at 14:07 on 19 May 2005 gives
// brasol200505191407.mdb).  Within one database the names sort in time
// order, which the retention relies on.  Lengths are counted in characters,
// not bytes, so accented file names split where a reader would expect.

// The file name (no folder) of the copy of `caminho_bd` made at `momento`.
// Throws std::invalid_argument when base_copia gives nullopt or `momento`
// is not a valid date and time; the caller reports the database's settings
// as wrong before it gets here.
std::string nome_copia(const std::string& caminho_bd, const DateTime& momento);

// The name under which the copy `nome_copia` is built before it is
// complete, in the same folder:
//   "." + nome_copia + "." + 16 lower-case hex digits of `token` + ".pezolva-tmp"
// `token` makes the name unique to one run; draw it with
// engine::random_token.  The name can never be taken for a copy: it does
// not end in ".mdb", so neither nome_copia_valido nor the retention's
// listing accepts it; and the twelve characters that the restore reads as
// a copy's stamp (those before the last four) always hold letters of the
// fixed ending, so no numeric test accepts them, whatever the database
// name.  Very long copy names are shortened (at a character boundary) so
// that the result fits in one 255-byte file name.
std::string nome_temporario(const std::string& nome_copia, std::uint64_t token);

// Whether `nome` (a file name without folder) has the shape that
// nome_temporario gives: a leftover of an interrupted backup.
bool nome_temporario_de_copia(const std::string& nome);

// The copy name inside a temporary name (as nome_temporario shortened it);
// nullopt when `nome` is not a temporary name.
std::optional<std::string> copia_do_temporario(const std::string& nome);

}  // namespace pezolva::backup
