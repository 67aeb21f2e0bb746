#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva {

// The files of one compaction, all in the database's folder.
struct FicheirosCompactacao {
    std::string base;        // the database
    std::string temporario;  // the tool's compacted copy
    std::string antiga;      // the name the old database is to keep
};

// Puts the compacted copy in the database's place, for the holder of the
// database's exclusive lock, so that the name always holds a complete
// database:
//  1. the old database gets its dated name as a second name (a hard link,
//     refused when that name exists: a same-minute collision);
//  2. SQLite's own exclusive lock is taken on it too (a program that has
//     it open through SQLite alone is seen), and journals SQLite could not
//     bring into it go with it, under the dated name;
//  3. the copy takes the old file's permission bits and is swapped into
//     the name in one step; the old file's extra name goes.
// On failure everything is put back (the database as it was, with its
// journals, and no dated name of ours: one that existed is left alone) and
// the cause is returned; the copy stays under its temporary name for the
// caller to remove.  nullopt when the swap is done.
// `bloqueada`, when given, tells whether the failure was another program
// keeping SQLite's lock on the database (the database is held).
std::optional<std::string> troca_compactada(FileSystem& files, const FicheirosCompactacao& f,
                                            bool* bloqueada = nullptr);

// Removes, under the database's exclusive lock, what a compaction killed
// part-way left in its folder: copies and partial copies under temporary
// names (e_sobra_temporaria) with their companions, as
// engine::delete_leftovers removes every killed run's leftovers (one that
// somebody holds stays), and a dated name given to the database itself (the
// same file) before the swap that did not happen.  Never throws: what
// cannot go now goes at the next compaction.
void apaga_sobras_compactacao(FileSystem& files, const std::string& caminhobd,
                              const std::string& nomebd);

// Removes the tool's copy at `caminho` and its partial file, each with the
// companions an open of it may have left (engine::delete_database); errors
// are ignored (what cannot go now goes at the next compaction).
void apaga_com_companheiros(FileSystem& files, const std::string& caminho);

}  // namespace pezolva
