#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/detail/create_table.h"
#include "engine/detail/db_state.h"
#include "engine/detail/schema_reader.h"
#include "engine/schema.h"

namespace pezolva::engine::detail {

// A change SQLite's ALTER TABLE cannot make, made by building the table
// anew.  Everything not named here is kept: columns with their declared
// types, NOT NULL, DEFAULT, COLLATE and CHECK, the primary key, foreign
// keys with their names and actions, UNIQUE constraints, indexes,
// triggers, the rows and their rowids.
struct RebuildPlan {
    std::string drop_column;  // with the keys and indexes that use it
    std::optional<Field> add_field;
    bool drop_primary_key = false;
    std::optional<Index> add_primary_key;    // as CONSTRAINT "<name>" PRIMARY KEY (...)
    std::vector<std::string> make_required;  // columns to make NOT NULL
    std::vector<std::string> drop_unique;    // the columns of a UNIQUE constraint to remove
};

// "CONSTRAINT "<name>" PRIMARY KEY ("a", "b")" for a primary index.
std::string primary_key_clause(const Index& index);

// "CREATE [UNIQUE] INDEX ..." for an index of `table`.
std::string create_index_sql(const std::string& table, const Index& index);

// The CREATE TABLE statement of the new table under `new_name`.
std::string rebuilt_table_sql(const CreateTable& table, std::string_view sql,
                              const RebuildPlan& plan, const std::string& new_name);

// Rebuilds `table` as the plan says, in one transaction with foreign keys
// off (switched before BEGIN, back on after), then checks the foreign keys
// of the table and of the tables that refer to it.  On any failure,
// including a foreign key violation (ErroIntegridade), nothing changes.
// Inside an open transaction only a table nothing refers to (itself
// included) can be rebuilt, ErroMotor otherwise; the change is then undone
// with that transaction.
void rebuild_table(DbState& state, const StoredTable& table, const RebuildPlan& plan);

}  // namespace pezolva::engine::detail
