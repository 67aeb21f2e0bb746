#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "engine/temporary_files.h"

namespace pezolva::restore {

// What a restore puts where.
struct PedidoReposicao {
    std::string copia;           // the copy chosen: its folder and file name
    std::string pasta_projecto;  // where the database lives
    std::string nome;            // the database name as listed (without ".mdb")
    std::string ligacao;         // ";pwd=..." that opens the database, and so the copy
    std::uint64_t token = 0;     // makes the temporary name unique
    bool principal = false;      // the project's main database: its register is carried
};

// Replaces the project's database `nome` + ".mdb" by the copy, so that the
// project is never without its database:
//  1. the database is the file of the project folder whose name matches
//     without regard to letter case (a new file only when none does); an
//     empty name and a copy with a journal or WAL beside it (a byte copy
//     would miss its rows) are refused;
//  2. the copy is copied to a hidden file beside the database, synced, and
//     put in the database's place by substitui_base.
// nullopt when the database was replaced; otherwise why not, and the
// database is as it was (its content; a journal may have been applied).
// A signal that asked for an interruption (engine/interruption.h) stops
// the work before the swap, as a failure.  `registo_recriado`, when given,
// tells whether the main database's register could not be carried.
std::optional<std::string> repoe_copia(FileSystem& files, const PedidoReposicao& pedido,
                                       bool* registo_recriado = nullptr);

// A database replaced by a file already written beside it.
struct Substituicao {
    std::string bd;           // the database's file (need not exist)
    std::string novo;         // the finished file, beside it, claimed in the TemporaryFiles given
    std::string origem;       // what `novo` was made from, for the messages
    std::string ligacao;      // ";pwd=..." that opens both
    std::uint64_t token = 0;  // names the old file set aside (anterior_reposicao)
    bool principal = false;   // the project's main database: its register is carried
};

// The checked, locked replacement every restore goes through, whatever
// wrote `novo` (a local copy, an off-site one):
//  1. a read-only database, and a folder whose file system does not share
//     locks between machines (lock_sharing.h), are refused;
//  2. the database's exclusive lock is taken and held to the end: a
//     database another program has open is not replaced, nor one whose
//     lock cannot be asked;
//  3. `novo` must open with the password and pass SQLite's quick check;
//     for the main database the live register is carried into it;
//  4. the old database's journals are settled (a stale journal or WAL
//     would otherwise be applied to the restored file); those SQLite
//     cannot apply go aside with the old file, and come back if the swap
//     is undone;
//  5. under SQLite's own exclusive lock too, `novo` gets the old file's
//     permission bits and the two names are swapped in one step (or two
//     renames, or one when there was no database); the old file then goes.
// nullopt when done.  Otherwise why not: the database is as it was, or,
// when an undone swap could not be undone, the old file is left under its
// set-aside name (never removed) for the next recovery to put back.
std::optional<std::string> substitui_base(FileSystem& files, engine::TemporaryFiles& temporarios,
                                          const Substituicao& s, bool* registo_recriado = nullptr);

}  // namespace pezolva::restore
