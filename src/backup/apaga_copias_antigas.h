#pragma once

#include <string>
#include <vector>

#include "common/file_system.h"

namespace pezolva::backup {

// Deletes the oldest copies of the database `caminho_bd` from the folder
// `pasta` (no trailing "/") so that `manter` of them remain.
//
// Runs after the new copy is complete and carries its copy name, so the new
// copy counts among those kept: a backup that fails half-way has deleted
// nothing.
//
// 1. Lists the regular files of `pasta` and keeps the copies of the
//    database as deleting reads them (carimbo_de_copia, ParaApagar: the base
//    compared case-blind, as the file systems the copies come from compare
//    names, then a real minute and ".mdb").  Copies of other databases
//    (brasol_fotos beside brasol), files that are not copy names and
//    half-built copies (nome_temporario) are never touched.
// 2. While more than `manter` copies remain, deletes the one whose name is
//    smallest compared case-blind (the oldest stamp), whatever order the
//    listing gave; of names equal but for case, the one listed first.
//
// `copia_nova`, when given, is the file name of the copy just made: it is
// counted but never deleted, even when another copy bears a later stamp
// (one written by a machine whose clock ran ahead), so the copy this backup
// made always survives it.
//
// `manter` of 0 or less: nothing is deleted (the caller refuses such a
// setting before making a copy).  A database whose file name has fewer than
// four characters has no recognisable copies: nothing is deleted.
//
// A copy that another program has open (the restore window, another
// workstation) is not deleted, and no younger copy goes in its place: the
// folder keeps one copy more until a later backup finds it free.  Its name
// is returned, so that the caller can say so.  A deleted copy takes its
// journal and lock files with it.
//
// A copy that cannot be deleted raises FileError to the caller; the copies
// deleted before it stay deleted, the others are untouched.
std::vector<std::string> apaga_copias_antigas(FileSystem& files, const std::string& caminho_bd,
                                              int manter, const std::string& pasta,
                                              const std::string& copia_nova = {});

}  // namespace pezolva::backup
