#pragma once

#include <string>

#include "engine/database.h"
#include "engine/lock_file.h"

namespace pezolva::engine {

// The hidden name beside `destination` under which CompactToNewFile builds
// it: "<folder>/.<name>.parcial".  Whoever removes what a killed compaction
// left looks there.
std::string partial_compaction_path(const std::string& destination);

// Writes a compacted copy of the database `source` (read-only, never
// changed) at `destination`, complete or not at all:
//  1. refuses a destination that exists (ErroBaseExiste);
//  2. builds the copy under partial_compaction_path(destination), holding
//     that name's exclusive companion lock (so a leftover of a killed run
//     is recognised as such and removed first);
//  3. gives it the source's permission bits, syncs it (unless `sync` leaves
//     that to the caller), and renames it to `destination` without
//     replacing anything.
// `held` is the source's companion lock when the caller holds it already
// (see CompanionLock::Adopt); when it holds nothing, a shared lock is taken
// for the call.  Throws EngineError (ErroCancelado on an interruption
// request); no partial file remains then.
void CompactToNewFile(const std::string& source, const std::string& destination,
                      const std::string& connect, CompanionLock held = {},
                      CopySync sync = CopySync::Synced);

}  // namespace pezolva::engine
