#pragma once

#include <string>
#include <vector>

#include "engine/recordset.h"
#include "project/projecto.h"

namespace pezolva::cli {

// Copies the named register rows of the current project with the backup
// engine, showing progress on standard output and, at the end, the message
// log and the error log.  Returns the exit status: 0 when the error log
// stayed empty.
int corre_copias(const ProjectoActual& projecto, engine::Recordset& registo,
                 const std::vector<std::string>& escolhidas);

}  // namespace pezolva::cli
