#pragma once

#include <string>

#include "common/dialogs.h"
#include "common/file_system.h"

namespace pezolva {

// Clears the read-only attribute of the file `nfich` (its owner's write
// permission) and tells whether it was set; the other permissions are
// kept.  A missing file, a bad path or a refused change is shown to the
// user ("A base de dados não existe no caminho especificado. Erro: ...")
// and gives false.
bool era_readonly(FileSystem& files, Dialogs& dialogs, const std::string& nfich);

}  // namespace pezolva
