#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/detail/create_table.h"
#include "engine/detail/db_state.h"
#include "engine/schema.h"

namespace pezolva::engine::detail {

// A table as sqlite_schema records it.
struct StoredTable {
    std::string name;
    std::string sql;
    bool view = false;
};

// Tables in sqlite_schema order, without SQLite's own sqlite_* tables;
// views only when asked.
std::vector<StoredTable> stored_tables(DbState& state, bool with_views = false);

// The table (or view) of that name, compared without regard to case.
std::optional<StoredTable> find_table(DbState& state, std::string_view name,
                                      bool with_views = false);

// The columns of a table, in order, typed from their declared types.
std::vector<Field> read_fields(DbState& state, const std::string& table);

// The table's primary key columns in key order ([] when none).
std::vector<std::string> primary_key_columns(DbState& state, const std::string& table);

// An index with where it comes from.
struct IndexInfo {
    enum Origin { PrimaryKey, Created, UniqueConstraint };
    Index index;
    Origin origin;
    std::string stored_name;  // SQLite's name; "" for a rowid primary key
};

// The indexes as TableDef::Indexes describes them: the primary one first.
std::vector<IndexInfo> read_indexes(DbState& state, const StoredTable& table);
// The same with the table's fields already read and, when not null, the
// names of its indexes in the order they were made (from indexes_by_table),
// so that reading every table costs no scan of the schema per table.
std::vector<IndexInfo> read_indexes(DbState& state, const StoredTable& table,
                                    const std::vector<Field>& fields,
                                    const std::vector<std::string>* made);

// The names of every table's indexes in the order they were made, by the
// table's stored name.
std::map<std::string, std::vector<std::string>> indexes_by_table(DbState& state);

// Every relation of the database, as Database::Relations describes them.
std::vector<Relation> read_relations(DbState& state);

// True for a table declared WITHOUT ROWID.
bool without_rowid(const CreateTable& table);

}  // namespace pezolva::engine::detail
