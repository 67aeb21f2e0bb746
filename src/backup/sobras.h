#pragma once

#include <cstdint>
#include <string>

#include "common/file_system.h"

namespace pezolva::backup {

// What recupera_sobras removed.
struct Sobras {
    int ficheiros = 0;
    std::uint64_t bytes = 0;
    // Files left where they are: a live process holds them, or their lock
    // cannot be asked (another user's, made private), which is the same.
    int deixados = 0;
};

// Removes from the folder `pasta` what earlier backups of the database
// `caminho_bd` left when they were killed: their temporary copies (see
// nome_temporario) with the journal, WAL, shared-memory and lock files of
// each, and such companions whose temporary copy is gone.  A temporary copy
// that a live process still holds (a backup running now, here or on
// another workstation) is left alone, with its companions.  Temporary
// files of other databases and every other file are never touched.
// A file that cannot be removed is left; it is not counted.
Sobras recupera_sobras(FileSystem& files, const std::string& pasta, const std::string& caminho_bd);

// "Ficaram N ficheiros temporários na pasta ..." for the files recupera_sobras
// left in `pasta`.
std::string aviso_deixados(const Sobras& sobras, const std::string& pasta,
                           const std::string& caminho_bd);

}  // namespace pezolva::backup
