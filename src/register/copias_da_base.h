#pragma once

#include <optional>
#include <string>

namespace pezolva {

// The copies of a database of the register: where the backup puts them and
// how a file is known to be one.  A copy of the database F is named
//   base + stamp + the last four characters of F
// (base: F without those four characters; stamp: the minute of the copy,
// "yyyymmddhhnn"): brasol200505191407.mdb for brasol.mdb.  Lengths are
// counted in characters, not bytes.

// Where the copies of a register row go: its destination `destino`
// (BUP_CAMINHO_DESTINO, "" for Null) without a final "/"; an empty
// destination is no folder at all, and the copies go beside the database,
// in `pasta_bd` (the folder BUP_NOME_BD names, else the project folder).
std::string pasta_das_copias(const std::string& destino, const std::string& pasta_bd);

// The base of the copy names of `caminho_bd` (a file name or a "/"
// separated path): its file name without the last four characters.
// nullopt when the file name has fewer than four characters: no name can be
// recognised as a copy of such a database, so it must not get copies.
std::optional<std::string> base_copia(const std::string& caminho_bd);

// The name the copies of a register row are searched for and listed under:
// BUP_NOME_BD without a final ".mdb" (any letter case).
std::string nome_procurado(const std::string& nome_bd);

// Whether the file name `nome` is a copy name of the database `original`
// (a file name or a path; only its file name counts).  True when `nome`
// ends in ".mdb" (any case), and after its first L-4 characters (L being
// the length of the original's file name, which must exceed 3) come exactly
// twelve digits forming a real date and minute, then the four last
// characters.  The first L-4 characters are NOT compared with the
// original's base: carimbo_de_copia does that.  Never throws.
bool nome_copia_valido(const std::string& original, const std::string& nome);

// The two ways a file name is read as a copy's.  Both are relied on, and
// they differ on purpose.
enum class LeituraCopia {
    // For deleting (the retention, the clean-up of half-built copies):
    // base_copia of the database's file name (its folder left out), twelve
    // digits that make a real date and minute (nome_copia_valido), ".mdb".
    // What it accepts may be deleted, so it accepts as little as it can.
    ParaApagar,
    // For listing (the restore window): nome_procurado of the registered
    // name, compared whole (a name with a folder matches no file), twelve
    // characters that read as a number (texto_numerico), ".mdb".  A copy
    // with an odd stamp can still be restored.
    ParaListar,
};

// The stamp (the twelve characters after the name) when the file name
// `ficheiro` is a copy of the database `nome_bd` as `leitura` reads copy
// names; nullopt otherwise.  Names and ".mdb" compare without regard to
// letter case; "[", "*" or "?" in a name are ordinary characters.  Never
// throws.  This is the one answer to "is this file a copy of that
// database?": the retention, the backup's clean-up and the restore's list
// all ask it.
std::optional<std::string> carimbo_de_copia(const std::string& nome_bd, const std::string& ficheiro,
                                            LeituraCopia leitura);

}  // namespace pezolva
