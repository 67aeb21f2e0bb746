#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pezolva::engine::detail {

// A REFERENCES clause: the parent table and its columns (empty when the
// clause names none and so means the parent's primary key).
struct References {
    std::string parent;
    std::vector<std::string> to;
};

// A constraint written on a column.  [begin, end) covers it from its
// CONSTRAINT keyword, when it has a name, to its last token.
struct ColumnConstraint {
    enum Kind {
        PrimaryKey,
        NotNull,
        Null,
        Unique,
        Check,
        Default,
        Collate,
        Foreign,
        Generated,
        Other
    };
    Kind kind = Other;
    std::string name;
    std::size_t begin = 0;
    std::size_t end = 0;
    References references;  // for Foreign
};

struct ColumnDef {
    std::string name;
    std::string type;  // the declared type as written, "" when none
    std::size_t begin = 0;
    std::size_t end = 0;
    std::vector<ColumnConstraint> constraints;
};

// A constraint of the table itself (after or between the columns).
struct TableConstraint {
    enum Kind { PrimaryKey, Unique, Check, Foreign, Other };
    Kind kind = Other;
    std::string name;
    std::vector<std::string> columns;  // key columns, or the referencing ones
    References references;             // for Foreign
    std::size_t begin = 0;
    std::size_t end = 0;
};

// One element of the definition list, in written order.
struct Element {
    bool is_column;
    std::size_t index;  // into columns or constraints
};

struct CreateTable {
    std::size_t name_begin = 0;  // span of the (possibly schema-qualified) name
    std::size_t name_end = 0;
    std::vector<ColumnDef> columns;
    std::vector<TableConstraint> constraints;
    std::vector<Element> order;
    std::string tail;  // what follows the closing parenthesis (WITHOUT ROWID, STRICT)
};

// The parts of a CREATE TABLE statement as SQLite stores it; nullopt for
// anything else (CREATE VIRTUAL TABLE, CREATE TABLE ... AS).
std::optional<CreateTable> parse_create_table(std::string_view sql);

// A foreign key as written, column-level or table-level.
struct WrittenForeignKey {
    std::string name;  // the CONSTRAINT name, "" when none
    std::vector<std::string> from;
    References references;
};

// The table's foreign keys in the order their text appears.
std::vector<WrittenForeignKey> written_foreign_keys(const CreateTable& table);

// The CONSTRAINT name of the table's primary key, "" when it has none or
// no name.
std::string primary_key_name(const CreateTable& table);

}  // namespace pezolva::engine::detail
