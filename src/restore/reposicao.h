#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::restore {

// What a restore puts where.
struct PedidoReposicao {
    std::string copia;           // the copy chosen: its folder and file name
    std::string pasta_projecto;  // where the database lives
    std::string nome;            // the database name as listed (without ".mdb")
    std::string ligacao;         // ";pwd=..." that opens the database, and so the copy
    std::uint64_t token = 0;     // makes the temporary name unique
};

// Replaces the project's database `nome` + ".mdb" by the copy, so that the
// project is never without its database:
//  1. the database is the file of the project folder whose name matches
//     without regard to letter case (a new file only when none does); an
//     empty name, a read-only database, and a copy with a journal or WAL
//     beside it (a byte copy would miss its rows) are refused;
//  2. the database's exclusive lock is taken and held to the end: a
//     database another program has open is not replaced;
//  3. the copy is copied to a hidden file beside the database, synced, and
//     checked (it opens with the password and passes SQLite's quick check);
//  4. the old database's journals are settled (a stale journal or WAL
//     would otherwise be applied to the restored file; those of a file
//     SQLite cannot read are removed), the new file gets
//     the old one's permission bits, and the two names are swapped in one
//     step (or the new file is renamed in when there was none); the old
//     file then goes.
// nullopt when the database was replaced; otherwise why not, and the
// database is as it was (its content; a journal may have been applied).
std::optional<std::string> repoe_copia(FileSystem& files, const PedidoReposicao& pedido);

}  // namespace pezolva::restore
