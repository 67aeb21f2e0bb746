#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/detail/db_state.h"

namespace pezolva::engine::detail {

// A column as the rules of a copy see it.
struct RuleColumn {
    std::string name;
    std::string declared;   // the declared type, as SQLite keeps it
    char affinity = 'B';    // SQLite's affinity of that type: I, R, N, T or B
    std::string collation;  // its collating sequence, as SQLite names it
    bool number = false;    // a text or binary value breaks its type
};

struct ForeignKey {
    std::string parent;
    std::vector<std::string> from;
    std::vector<std::string> to;  // the parent's primary key when the clause names none
};

// A table of one schema of a connection ("main" or an attached one), with
// what the checks of a copy need.
struct RuleTable {
    std::string schema;
    std::string name;  // as stored
    std::vector<RuleColumn> columns;
    std::vector<ForeignKey> keys;
    // How a row of it, aliased "c", is known: its rowid, or the key
    // columns of a WITHOUT ROWID table.
    std::string identity;
    // The column that is another name of the rowid (an INTEGER PRIMARY
    // KEY), which takes only whole numbers and Null; "" when none.
    std::string rowid_alias;

    // schema."name"
    std::string qualified() const;
};

// The table of that name (without regard to case; views are not tables)
// in `schema`; nullopt when there is none.
std::optional<RuleTable> read_rule_table(DbState& state, const std::string& schema,
                                         std::string_view name);

// SQLite's affinity of a declared type (its rules of section 3.1 of the
// datatype documentation): 'I'nteger, 'R'eal, 'N'umeric, 'T'ext, 'B'lob.
char affinity_of(std::string_view declared);

// True when both tables have the same columns in the same order: names
// (without regard to case), affinities and collations.  A value then keeps
// its type and compares alike in either table.
bool same_columns(const RuleTable& a, const RuleTable& b);

// The condition, on a row "c", that the number column `column` holds a
// text or binary value: `by_index`, written so that an index of the column
// can answer it; else compared as stored, cheaper on each row of a scan.
std::string wrong_type(const RuleColumn& column, bool by_index);

// The condition, on a row "c" of the table, that a number column holds a
// text or binary value; "" when the table has no number column.
std::string type_condition(const RuleTable& table);

// A foreign key as two queries, with the parent in the table's schema: a
// quick test on the distinct key values (an index on them makes it cheap)
// that finds whether any row lacks its parent, and the exact condition, on
// a row "c", for deleting those rows.  The distinct values are taken under
// BINARY, the finest collation, so the test can only err towards running
// the exact delete for nothing.
struct KeyCheck {
    std::string any_orphan;
    // The same test as a merge of the key values in order against the
    // parent's, without a lookup per value: cheap only where an index of
    // the table and one of the parent (or its rowid) give both in that
    // order.  It compares the values as stored, without the conversions of
    // "=", so it may find an orphan the exact condition would not, never
    // the reverse.
    std::string any_orphan_merged;
    std::string orphan_row;
    // The condition, on a row "c", that its key, compared under BINARY as
    // the distinct values are, is not among the parent's: SQLite lists the
    // parent's keys once, so it is cheap in a scan of a table whose parent
    // is small, without a search of its own.
    std::string orphan_listed;
    bool to_itself = false;  // deleting orphans can make new ones
};

KeyCheck key_check(const RuleTable& table, const ForeignKey& key);

}  // namespace pezolva::engine::detail
