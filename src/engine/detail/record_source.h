#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "engine/collection.h"
#include "engine/detail/db_state.h"
#include "engine/schema.h"

namespace pezolva::engine::detail {

// The rows behind a recordset and its clones.  Rows of a table are kept as
// rowids and read on demand; rows of any other statement are held.
struct RecordSource {
    std::shared_ptr<DbState> state;
    Collection<Field> fields;

    bool by_rowid = false;
    std::string table;                 // the table written to, as stored
    std::vector<std::string> columns;  // the table column behind each field
    std::string rowid_name;            // "_rowid_", "rowid" or "oid": one no column hides
    std::string fetch_sql;             // the fields of one row, by rowid ?1
    std::string find_sql;              // rowids of the rows where what is appended, and ")", holds
    std::vector<std::int64_t> rowids;

    std::vector<std::vector<Value>> rows;

    std::int64_t count() const {
        return static_cast<std::int64_t>(by_rowid ? rowids.size() : rows.size());
    }
    // The typed values of the row at `position` (0-based).  ErroRegistoEliminado
    // when a row read by rowid no longer exists.
    std::vector<Value> fetch(std::int64_t position) const;
};

// The rows of a table name or a statement; see Database::OpenRecordset.
std::shared_ptr<RecordSource> open_source(const std::shared_ptr<DbState>& state,
                                          std::string_view source);

// A stored value as a field of `code` gives it: Yes/No as bool, Single and
// Double as double, a Date/Time text as DateTime; anything else as stored.
Value typed_value(Value raw, int code);

}  // namespace pezolva::engine::detail
