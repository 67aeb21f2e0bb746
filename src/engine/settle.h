#pragma once

#include <string>

namespace pezolva::engine {

// Brings the database file `path` to a state that stands on its own, with
// no journal beside it for SQLite to apply later: a hot rollback journal
// left by a writer that died is rolled back, and a WAL is checkpointed
// into the file and removed.  For the holder of the file's exclusive
// companion lock, before the file is replaced or renamed: nobody else has
// it open, and the companion is not taken again here.  The password gate is
// not checked (nothing is read but SQLite's own pages).  Throws EngineError
// when SQLite cannot open or read the file; the journals are then as they
// were.  A file that does not exist is left alone.
void SettleJournals(const std::string& path);

}  // namespace pezolva::engine
