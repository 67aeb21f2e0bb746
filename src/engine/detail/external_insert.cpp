#include "engine/detail/external_insert.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "common/text.h"
#include "engine/detail/connection_text.h"
#include "engine/detail/schema_reader.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

constexpr const char* kSchema = "pz_ext";

// Attaches a database file for its life and detaches it after, also when
// an error unwinds.
class Attachment {
public:
    // Errors of the file itself (not a database, damaged, locked) name it.
    Attachment(DbState& state, const std::string& file) : state_(state) {
        Statement attach = state.prepare(std::string("ATTACH ?1 AS ") + kSchema);
        attach.bind_text(1, file_uri(file, "mode=rw"));
        try {
            attach.run();
            attached_ = true;
            state.value(std::string("SELECT count(*) FROM ") + kSchema + ".sqlite_schema");
        } catch (const EngineError& e) {
            EngineError about_file = last_error(state.db(), file);
            detach();
            if (about_file.numero() == e.numero()) throw about_file;
            throw;
        }
    }
    ~Attachment() { detach(); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    void detach() {
        if (attached_ && state_.open()) {
            sqlite3_exec(state_.db(), (std::string("DETACH ") + kSchema).c_str(), nullptr, nullptr, nullptr);
        }
        attached_ = false;
    }

    DbState& state_;
    bool attached_ = false;
};

struct TargetTable {
    std::string name;
    std::string sql;
};

std::optional<TargetTable> find_target(DbState& state, const std::string& name) {
    Statement s = state.prepare(std::string("SELECT name, sql FROM ") + kSchema +
                                ".sqlite_schema WHERE type = 'table'");
    while (s.step()) {
        if (iequals(s.column_text(0), name)) return TargetTable{s.column_text(0), s.column_text(1)};
    }
    return std::nullopt;
}

// The primary key columns of a table of the attached file, in key order.
std::vector<std::string> key_columns(DbState& state, const std::string& table) {
    Statement s = state.prepare(std::string("PRAGMA ") + kSchema + ".table_info(" + quote_identifier(table) + ")");
    std::vector<std::pair<std::int64_t, std::string>> key;
    while (s.step()) {
        if (s.column_int64(5) > 0) key.emplace_back(s.column_int64(5), s.column_text(1));
    }
    std::sort(key.begin(), key.end());
    std::vector<std::string> names;
    for (auto& [order, name] : key) names.push_back(std::move(name));
    return names;
}

struct ForeignKey {
    std::string parent;
    std::vector<std::string> from;
    std::vector<std::string> to;  // empty entries: the parent's primary key
};

std::vector<ForeignKey> foreign_keys(DbState& state, const std::string& table) {
    std::map<std::int64_t, ForeignKey> keys;
    Statement s = state.prepare(std::string("PRAGMA ") + kSchema + ".foreign_key_list(" + quote_identifier(table) + ")");
    while (s.step()) {
        ForeignKey& k = keys[s.column_int64(0)];
        k.parent = s.column_text(2);
        k.from.push_back(s.column_text(3));
        k.to.push_back(s.column_type(4) == SQLITE_NULL ? std::string() : s.column_text(4));
    }
    std::vector<ForeignKey> out;
    for (auto& [id, k] : keys) {
        if (!k.to.empty() && k.to.front().empty()) k.to = key_columns(state, k.parent);
        out.push_back(std::move(k));
    }
    return out;
}

struct Column {
    std::string name;
    int code;
};

std::vector<Column> columns(DbState& state, const std::string& table) {
    std::vector<Column> out;
    Statement s = state.prepare(std::string("PRAGMA ") + kSchema + ".table_info(" + quote_identifier(table) + ")");
    while (s.step()) out.push_back({s.column_text(1), field_type_of(s.column_text(2)).code});
    return out;
}

// The condition, on a row "c" of the target table, that a numeric column
// holds a text or binary value ("" when there is no numeric column).
// Numbers sort before every text and every blob, so "x >= ''" is that
// test, and cheaper than typeof() on each row.
std::string type_condition(const std::vector<Column>& cols) {
    std::string out;
    for (const Column& c : cols) {
        if (is_numeric_code(c.code)) out += (out.empty() ? "" : " OR ") + ("c." + quote_identifier(c.name) + " >= ''");
    }
    return out;
}

// A foreign key as two queries: a quick test on the distinct key values
// (an index on them makes it cheap) that finds whether any row lacks its
// parent, and the exact condition, on a row "c", for deleting those rows.
// The distinct values are taken under BINARY, the finest collation, so the
// test can only err towards running the exact delete for nothing.
struct KeyCheck {
    std::string any_orphan;
    std::string orphan_row;
    bool to_itself = false;  // deleting orphans can make new ones
};

KeyCheck key_check(const std::string& table, const ForeignKey& k) {
    const std::string parent = std::string(kSchema) + "." + quote_identifier(k.parent);
    std::string distinct, present, match_distinct, match_row;
    for (std::size_t i = 0; i < k.from.size(); ++i) {
        const std::string from = quote_identifier(k.from[i]);
        const std::string to = "p." + quote_identifier(i < k.to.size() ? k.to[i] : std::string());
        const std::string alias = "k" + std::to_string(i);
        const char* sep = i ? " AND " : "";
        distinct += (i ? ", " : "") + from + " COLLATE BINARY AS " + alias;
        present += sep + from + " IS NOT NULL";
        match_distinct += sep + to + " = d." + alias;
        match_row += sep + to + " = c." + from;
    }
    KeyCheck check;
    check.to_itself = iequals(k.parent, table);
    check.any_orphan = "SELECT 1 FROM (SELECT DISTINCT " + distinct + " FROM " + kSchema + "." + quote_identifier(table) +
                       " WHERE " + present + ") AS d WHERE NOT EXISTS (SELECT 1 FROM " + parent + " AS p WHERE " +
                       match_distinct + ") LIMIT 1";
    std::string present_row;
    for (std::size_t i = 0; i < k.from.size(); ++i) {
        present_row += (i ? " AND " : "") + ("c." + quote_identifier(k.from[i])) + " IS NOT NULL";
    }
    check.orphan_row = present_row + " AND NOT EXISTS (SELECT 1 FROM " + parent + " AS p WHERE " + match_row + ")";
    return check;
}

bool is_constraint(const EngineError& e) {
    return e.numero() == ErroDuplicado || e.numero() == ErroNulo || e.numero() == ErroRegraValidacao ||
           (e.numero() == ErroMotor && e.descricao().find("constraint failed") != std::string::npos);
}

}  // namespace

std::int64_t insert_into_external(DbState& state, const ExternalInsert& insert) {
    // 1. Both sides must exist; ATTACH would otherwise create the file.
    std::error_code ec;
    if (!std::filesystem::exists(insert.file, ec)) throw file_not_found(insert.file);
    const std::optional<StoredTable> source = find_table(state, insert.source_table, true);
    if (!source) throw table_not_found(insert.source_table);

    // 2. Foreign keys off before the transaction: the rows then travel by
    //    SQLite's transfer path (raw records) instead of one by one, and the
    //    foreign keys are checked once afterwards.  The target's password
    //    gate is not checked here: the caller opened that file with its
    //    password before naming it.
    ForeignKeysOff foreign_keys_off(state);
    Attachment attachment(state, insert.file);
    const std::optional<TargetTable> target = find_target(state, insert.target_table);
    if (!target) throw table_not_found(insert.target_table);
    const std::string ext_table = std::string(kSchema) + "." + quote_identifier(target->name);

    TransactionGuard transaction(state, false);

    // 3. Rows already in the target are not the copy's to judge.  A row
    //    is known by its rowid, or by its key in a WITHOUT ROWID table.
    std::string identity = "c._rowid_";
    if (auto parsed = parse_create_table(target->sql); parsed && without_rowid(*parsed)) {
        identity.clear();
        for (const std::string& name : key_columns(state, target->name)) {
            identity += (identity.empty() ? "c." : ", c.") + quote_identifier(name);
        }
    }
    const bool had_rows = !state.value("SELECT 1 FROM " + ext_table + " LIMIT 1").is_null();
    if (had_rows) {
        state.exec("CREATE TEMP TABLE pz_antes AS SELECT " + identity + " FROM " + ext_table + " AS c");
    }

    // 4. The plain insert first; when a row breaks a NOT NULL, UNIQUE or
    //    CHECK rule it fails whole and the rows go again with OR IGNORE.
    const std::string body = " INTO " + ext_table + " SELECT * FROM main." + quote_identifier(source->name);
    std::int64_t inserted = 0;
    try {
        state.exec("INSERT" + body);
        inserted = state.changes();
    } catch (const EngineError& e) {
        if (!is_constraint(e)) throw;
        state.exec("INSERT OR IGNORE" + body);
        inserted = state.changes();
    }

    // 5. Rows with a value of the wrong type go out, then rows with no
    //    parent; a table that refers to itself may need several rounds.
    const std::string mine = had_rows ? " AND (" + identity + ") NOT IN (SELECT * FROM temp.pz_antes)" : "";
    std::int64_t removed = 0;
    if (const std::string types = type_condition(columns(state, target->name)); !types.empty()) {
        state.exec("DELETE FROM " + ext_table + " AS c WHERE (" + types + ")" + mine);
        removed += state.changes();
    }
    std::vector<KeyCheck> checks;
    for (const ForeignKey& k : foreign_keys(state, target->name)) checks.push_back(key_check(target->name, k));
    for (bool again = true; again;) {
        again = false;
        for (const KeyCheck& check : checks) {
            if (state.value(check.any_orphan).is_null()) continue;
            state.exec("DELETE FROM " + ext_table + " AS c WHERE " + check.orphan_row + mine);
            removed += state.changes();
            again = again || (check.to_itself && state.changes() > 0);
        }
    }
    if (had_rows) state.exec("DROP TABLE temp.pz_antes");
    transaction.commit();
    return inserted - removed;
}

}  // namespace pezolva::engine::detail
