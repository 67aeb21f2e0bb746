#pragma once

#include <string>

#include "engine/database.h"

namespace pezolva::testing {

// A new database at `path` with the tables of `sql` (any statements), and
// the given password.
engine::Database make_database(const std::string& path, const std::string& sql = "",
                               const std::string& password = "");

// The names of a table's fields in column order, joined by ",".
std::string field_names(engine::Database& db, const std::string& table);

}  // namespace pezolva::testing
