#include "engine/detail/external_insert_rules.h"

#include <algorithm>
#include <map>

#include "common/text.h"
#include "engine/detail/create_table.h"
#include "engine/detail/schema_reader.h"
#include "engine/field_types.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string pragma(const std::string& schema, const char* name, const std::string& table) {
    return "PRAGMA " + schema + "." + name + "(" + quote_identifier(table) + ")";
}

// The primary key columns of a table of `schema`, in key order.
std::vector<std::string> key_columns(DbState& state, const std::string& schema,
                                     const std::string& table) {
    Statement s = state.prepare(pragma(schema, "table_info", table));
    std::vector<std::pair<std::int64_t, std::string>> key;
    while (s.step()) {
        if (s.column_int64(5) > 0) key.emplace_back(s.column_int64(5), s.column_text(1));
    }
    std::sort(key.begin(), key.end());
    std::vector<std::string> names;
    for (auto& [order, name] : key) names.push_back(std::move(name));
    return names;
}

std::string collation_of(DbState& state, const std::string& schema, const std::string& table,
                         const std::string& column) {
    const char* type = nullptr;
    const char* collation = nullptr;
    int not_null = 0, primary = 0, autoinc = 0;
    if (sqlite3_table_column_metadata(state.db(), schema.c_str(), table.c_str(), column.c_str(),
                                      &type, &collation, &not_null, &primary,
                                      &autoinc) != SQLITE_OK ||
        collation == nullptr) {
        return "BINARY";
    }
    return upper(collation);
}

}  // namespace

std::string RuleTable::qualified() const { return schema + "." + quote_identifier(name); }

char affinity_of(std::string_view declared) {
    const std::string t = upper(declared);
    const auto has = [&](const char* part) { return t.find(part) != std::string::npos; };
    if (has("INT")) return 'I';
    if (has("CHAR") || has("CLOB") || has("TEXT")) return 'T';
    if (has("BLOB") || t.empty()) return 'B';
    if (has("REAL") || has("FLOA") || has("DOUB")) return 'R';
    return 'N';
}

std::optional<RuleTable> read_rule_table(DbState& state, const std::string& schema,
                                         std::string_view name) {
    RuleTable table;
    table.schema = schema;
    std::string sql;
    {
        Statement s = state.prepare("SELECT name, coalesce(sql, '') FROM " + schema +
                                    ".sqlite_schema WHERE type = 'table'");
        while (s.step()) {
            if (iequals(s.column_text(0), name)) {
                table.name = s.column_text(0);
                sql = s.column_text(1);
                break;
            }
        }
    }
    if (table.name.empty()) return std::nullopt;

    Statement columns = state.prepare(pragma(schema, "table_info", table.name));
    while (columns.step()) {
        RuleColumn c;
        c.name = columns.column_text(1);
        c.declared = columns.column_text(2);
        c.affinity = affinity_of(c.declared);
        c.collation = collation_of(state, schema, table.name, c.name);
        c.number = is_numeric_code(field_type_of(c.declared).code);
        table.columns.push_back(std::move(c));
    }

    table.identity = "c._rowid_";
    const std::vector<std::string> key = key_columns(state, schema, table.name);
    if (auto parsed = parse_create_table(sql); parsed && without_rowid(*parsed)) {
        table.identity.clear();
        for (const std::string& k : key) {
            table.identity += (table.identity.empty() ? "c." : ", c.") + quote_identifier(k);
        }
    } else if (key.size() == 1) {
        // (Taking "INTEGER PRIMARY KEY DESC" for one too costs nothing: a
        // value it could not hold breaks its type anyway.)
        for (const RuleColumn& c : table.columns) {
            if (c.name == key.front() && upper(c.declared) == "INTEGER") table.rowid_alias = c.name;
        }
    }

    std::map<std::int64_t, ForeignKey> keys;
    Statement s = state.prepare(pragma(schema, "foreign_key_list", table.name));
    while (s.step()) {
        ForeignKey& k = keys[s.column_int64(0)];
        k.parent = s.column_text(2);
        k.from.push_back(s.column_text(3));
        k.to.push_back(s.column_type(4) == SQLITE_NULL ? std::string() : s.column_text(4));
    }
    for (auto& [id, k] : keys) {
        if (!k.to.empty() && k.to.front().empty()) k.to = key_columns(state, schema, k.parent);
        table.keys.push_back(std::move(k));
    }
    return table;
}

bool same_columns(const RuleTable& a, const RuleTable& b) {
    return std::equal(a.columns.begin(), a.columns.end(), b.columns.begin(), b.columns.end(),
                      [](const RuleColumn& x, const RuleColumn& y) {
                          return iequals(x.name, y.name) && x.affinity == y.affinity &&
                                 iequals(x.collation, y.collation);
                      });
}

// Numbers sort before every text and every blob, so "x >= ''" is the test,
// and cheaper than typeof() on each row.  Written "+x", the value is
// compared as stored: the column's affinity would only try, on every row,
// to make a number of '' and fail, which costs a scan a third of its time.
std::string wrong_type(const RuleColumn& column, bool by_index) {
    return std::string(by_index ? "c." : "+c.") + quote_identifier(column.name) + " >= ''";
}

std::string type_condition(const RuleTable& table) {
    std::string out;
    for (const RuleColumn& c : table.columns) {
        if (c.number) out += (out.empty() ? "" : " OR ") + wrong_type(c, false);
    }
    return out;
}

KeyCheck key_check(const RuleTable& table, const ForeignKey& k) {
    const std::string parent = table.schema + "." + quote_identifier(k.parent);
    std::string distinct, present, match_distinct, match_row, present_row, keys, parent_keys, order,
        row_keys, parent_present;
    for (std::size_t i = 0; i < k.from.size(); ++i) {
        const std::string from = quote_identifier(k.from[i]);
        const std::string parent_column =
            quote_identifier(i < k.to.size() ? k.to[i] : std::string());
        const std::string to = "p." + parent_column;
        const std::string alias = std::string("k").append(std::to_string(i));
        const char* sep = i ? " AND " : "";
        distinct += (i ? ", " : "") + from + " COLLATE BINARY AS " + alias;
        present += sep + from + " IS NOT NULL";
        match_distinct += sep + to + " = d." + alias;
        match_row += sep + to + " = c." + from;
        present_row += sep + ("c." + from) + " IS NOT NULL";
        keys += (i ? ", " : "") + from + " COLLATE BINARY";
        parent_keys += (i ? ", " : "") + parent_column;
        order += (i ? ", " : "") + std::to_string(i + 1);
        row_keys += (i ? ", c." : "c.") + from + " COLLATE BINARY";
        parent_present += sep + to + " IS NOT NULL";
    }
    KeyCheck check;
    check.to_itself = iequals(k.parent, table.name);
    check.any_orphan = "SELECT 1 FROM (SELECT DISTINCT " + distinct + " FROM " + table.qualified() +
                       " WHERE " + present + ") AS d WHERE NOT EXISTS (SELECT 1 FROM " + parent +
                       " AS p WHERE " + match_distinct + ") LIMIT 1";
    check.any_orphan_merged = "SELECT " + keys + " FROM " + table.qualified() + " WHERE " +
                              present + " EXCEPT SELECT " + parent_keys + " FROM " + parent +
                              " ORDER BY " + order + " LIMIT 1";
    // A parent's Null key would make NOT IN unknown for every row.
    const bool composite = k.from.size() > 1;
    check.orphan_listed = present_row + " AND " + (composite ? "(" : "") + row_keys +
                          (composite ? ")" : "") + " NOT IN (SELECT " + parent_keys + " FROM " +
                          parent + " AS p WHERE " + parent_present + ")";
    check.orphan_row =
        present_row + " AND NOT EXISTS (SELECT 1 FROM " + parent + " AS p WHERE " + match_row + ")";
    return check;
}

}  // namespace pezolva::engine::detail
