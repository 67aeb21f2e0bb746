#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::engine {

// Gives the finished file `ready` the name `target`, so that at every
// instant the name holds a complete file.
//
// When no file has that name, `ready` is renamed to it.  An existing file is
// replaced: the two names are swapped in one step, so the old file then
// lies under the name `ready`, which is returned for the caller to remove.
// Where the file system cannot swap names, the old file is renamed aside to
// `aside` first and the new one takes its name; `aside` is returned (a kill
// between the two renames leaves the name empty, but both files remain
// under their temporary names for the next run to put right).
//
// Throws FileError, leaving the old file under its name, when it fails.
std::optional<std::string> put_in_place(FileSystem& files, const std::string& ready,
                                        const std::string& target, const std::string& aside);

}  // namespace pezolva::engine
