#pragma once

#include <string>

#include "engine/detail/db_state.h"

namespace pezolva::engine::detail {

// The password gate: the system table MSysAcesso holds a random salt, an
// iteration count and the PBKDF2-SHA-256 digest of the password; never the
// password.  A file without the table (or with it empty) has no password.
// It is an access gate, not encryption: the data is readable by any SQLite
// tool.

inline constexpr const char* kGateTable = "MSysAcesso";

// True when the file has a password.
bool has_password(DbState& state);

// Returns normally when `password` opens the file (of `schema`, main or an
// attached one): always when the file has none; otherwise the password
// must match.  Throws EngineError (ErroPalavraPasse) when it does not.
void check_password(DbState& state, const std::string& password,
                    const std::string& schema = "main");

// Throws EngineError (ErroArgumento) for a password that no connect text
// could carry: one holding ";", which separates the parts of ";pwd=...".
// A file given it could be opened by nobody.
void check_storable_password(const std::string& password);

// Replaces the password; "" removes it (and the table).  Runs in its own
// transaction unless one is open.  A password check_storable_password
// refuses is refused here, before anything changes.
void write_password(DbState& state, const std::string& password);

}  // namespace pezolva::engine::detail
