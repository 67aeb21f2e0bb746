#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/date_time.h"

namespace pezolva::backup {

// Names of backup copies.  A copy of the live database F is named
//   base + stamp + extension
// where base is F without its last four characters, stamp is the minute of
// the copy as "yyyymmddhhnn" and extension is those last four characters as
// written in F (brasol.mdb copied at 14:07 on 19 May 2005 gives
// brasol200505191407.mdb).  Within one database the names sort in time
// order, which the retention relies on.  Lengths are counted in characters,
// not bytes, so accented file names split where a reader would expect.

// The base of the copy names of `caminho_bd` (a file name or a "/"
// separated path): its file name without the last four characters.
// nullopt when the file name has fewer than four characters: no name can be
// recognised as a copy of such a database (see nome_copia_valido), so it
// must not get copies.
std::optional<std::string> base_copia(const std::string& caminho_bd);

// The file name (no folder) of the copy of `caminho_bd` made at `momento`.
// Throws std::invalid_argument when base_copia gives nullopt or `momento`
// is not a valid date and time; the caller reports the database's settings
// as wrong before it gets here.
std::string nome_copia(const std::string& caminho_bd, const DateTime& momento);

// Whether the file name `nome` is a copy name of the database `original`
// (a file name or a path; only its file name counts).  True when `nome`
// ends in ".mdb" (any case), and after its first L-4 characters (L being
// the length of the original's file name, which must exceed 3) come exactly
// twelve digits forming a real date and minute, then the four last
// characters.  The first L-4 characters are NOT compared with the
// original's base: callers list names by that prefix first.  Never throws.
bool nome_copia_valido(const std::string& original, const std::string& nome);

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
