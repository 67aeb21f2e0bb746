#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::backup {

// Gives the finished file `pronta` the copy name `caminho_copia`, so that
// at every instant the name holds a complete copy.
//
// When no file has that name, `pronta` is renamed to it.  A copy made in
// the same minute is replaced: the two names are swapped in one step, so
// the old copy then lies under the name `pronta`, which is returned for the
// caller to remove.  Where the file system cannot swap names, the old copy
// is renamed aside to `de_lado` first and the new one takes its name;
// `de_lado` is returned (a kill between the two renames leaves the minute
// without its copy, but both files remain under temporary names).
//
// Throws FileError, leaving the old copy under its name, when it fails.
std::optional<std::string> coloca_copia(FileSystem& files, const std::string& pronta,
                                        const std::string& caminho_copia, const std::string& de_lado);

}  // namespace pezolva::backup
