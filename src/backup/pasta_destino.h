#pragma once

#include <string>

#include "common/file_system.h"

namespace pezolva::backup {

// Creates `pasta` level by level, from its first component down, as a
// folder typed by a user is made: each level is tried in turn (those that
// exist already fail, which is ignored) and only the last one decides.  A
// network-style "//server/share/..." starts at "//server".  Each level
// made gets the permission bits of the folder above it.  True when the
// creation of the last level succeeded.
bool cria_pasta_por_niveis(FileSystem& files, const std::string& pasta);

}  // namespace pezolva::backup
