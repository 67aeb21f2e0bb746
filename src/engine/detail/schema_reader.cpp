#include "engine/detail/schema_reader.h"

#include <algorithm>
#include <map>
#include <set>

#include "common/text.h"
#include "engine/detail/sql_lexer.h"

namespace pezolva::engine::detail {
namespace {

// A statement of the connection's cache, run once per table: prepared once
// for the whole schema, and reset when done with, so that no read stays
// open on the file whatever happens meanwhile.
class Consulta {
  public:
    Consulta(DbState& state, const char* sql) : s_(state.cached(sql)) {}
    ~Consulta() { s_.reset(); }
    Consulta(const Consulta&) = delete;
    Consulta& operator=(const Consulta&) = delete;
    Statement* operator->() { return &s_; }

  private:
    Statement& s_;
};

bool same_names(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const std::string& x, const std::string& y) { return iequals(x, y); });
}

std::vector<std::string> index_columns(DbState& state, const std::string& index) {
    Consulta s(state, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno");
    s->bind_text(1, index);
    std::vector<std::string> names;
    while (s->step()) names.push_back(s->column_text(0));
    return names;
}

// The name a UNIQUE constraint on `columns` was given, "" when none.
std::string unique_constraint_name(const std::optional<CreateTable>& parsed,
                                   const std::vector<std::string>& columns) {
    if (!parsed) return {};
    for (const ColumnDef& c : parsed->columns) {
        for (const ColumnConstraint& k : c.constraints) {
            if (k.kind == ColumnConstraint::Unique && !k.name.empty() &&
                same_names({c.name}, columns))
                return k.name;
        }
    }
    for (const TableConstraint& k : parsed->constraints) {
        if (k.kind == TableConstraint::Unique && !k.name.empty() && same_names(k.columns, columns))
            return k.name;
    }
    return {};
}

}  // namespace

std::vector<StoredTable> stored_tables(DbState& state, bool with_views) {
    Statement s = state.prepare(
        "SELECT name, coalesce(sql, ''), type FROM sqlite_schema "
        "WHERE (type = 'table' OR (?1 AND type = 'view')) AND name NOT LIKE 'sqlite\\_%' ESCAPE "
        "'\\'");
    s.bind_int64(1, with_views ? 1 : 0);
    std::vector<StoredTable> tables;
    while (s.step())
        tables.push_back({s.column_text(0), s.column_text(1), s.column_text(2) == "view"});
    return tables;
}

std::optional<StoredTable> find_table(DbState& state, std::string_view name, bool with_views) {
    for (StoredTable& t : stored_tables(state, with_views)) {
        if (iequals(t.name, name)) return std::move(t);
    }
    return std::nullopt;
}

std::vector<Field> read_fields(DbState& state, const std::string& table) {
    Consulta s(state, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1) ORDER BY cid");
    s->bind_text(1, table);
    std::vector<Field> fields;
    while (s->step())
        fields.push_back(
            Field::FromDeclared(s->column_text(0), s->column_text(1), s->column_int64(2) != 0));
    return fields;
}

std::vector<std::string> primary_key_columns(DbState& state, const std::string& table) {
    Consulta s(state, "SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk");
    s->bind_text(1, table);
    std::vector<std::string> names;
    while (s->step()) names.push_back(s->column_text(0));
    return names;
}

bool without_rowid(const CreateTable& table) {
    const std::vector<Token> t = tokenize(table.tail);
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (is_keyword(table.tail, t[i], "WITHOUT") && is_keyword(table.tail, t[i + 1], "ROWID"))
            return true;
    }
    return false;
}

std::map<std::string, std::vector<std::string>> indexes_by_table(DbState& state) {
    Statement s = state.prepare("SELECT tbl_name, name FROM sqlite_schema WHERE type = 'index'");
    std::map<std::string, std::vector<std::string>> by_table;
    while (s.step()) by_table[s.column_text(0)].push_back(s.column_text(1));
    return by_table;
}

namespace {

// Whether every one of `columns` (at least one) is a required field.
bool all_required(const std::vector<Field>& fields, const std::vector<std::string>& columns) {
    if (columns.empty()) return false;
    for (const std::string& c : columns) {
        auto f = std::find_if(fields.begin(), fields.end(),
                              [&](const Field& x) { return iequals(x.Name(), c); });
        if (f == fields.end() || !f->Required()) return false;
    }
    return true;
}

// The indexes SQLite lists for `table`: name -> (unique, origin).
std::map<std::string, std::pair<bool, std::string>> listed_indexes(DbState& state,
                                                                   const std::string& table) {
    std::map<std::string, std::pair<bool, std::string>> listed;
    Consulta s(state, "SELECT name, \"unique\", origin FROM pragma_index_list(?1)");
    s->bind_text(1, table);
    while (s->step()) listed[s->column_text(0)] = {s->column_int64(1) != 0, s->column_text(2)};
    return listed;
}

}  // namespace

std::vector<IndexInfo> read_indexes(DbState& state, const StoredTable& table) {
    return read_indexes(state, table, read_fields(state, table.name), nullptr);
}

std::vector<IndexInfo> read_indexes(DbState& state, const StoredTable& table,
                                    const std::vector<Field>& fields,
                                    const std::vector<std::string>* made) {
    const std::optional<CreateTable> parsed = parse_create_table(table.sql);
    const auto required = [&](const std::vector<std::string>& columns) {
        return all_required(fields, columns);
    };
    const std::map<std::string, std::pair<bool, std::string>> listed =
        listed_indexes(state, table.name);

    std::vector<IndexInfo> result;
    const std::vector<std::string> key = primary_key_columns(state, table.name);
    if (!key.empty()) {
        Index primary(parsed && !primary_key_name(*parsed).empty() ? primary_key_name(*parsed)
                                                                   : "PrimaryKey");
        for (const std::string& c : key) primary.AppendField(c);
        primary.SetPrimary(true);
        primary.SetUnique(true);
        std::string stored;
        for (const auto& [name, info] : listed) {
            if (info.second == "pk") stored = name;
        }
        // A rowid alias (INTEGER PRIMARY KEY) can never hold Null.
        primary.SetRequired(stored.empty() || required(key));
        result.push_back({std::move(primary), IndexInfo::PrimaryKey, stored});
    }

    std::vector<std::string> in_order;
    if (made == nullptr) {
        Statement s =
            state.prepare("SELECT name FROM sqlite_schema WHERE type = 'index' AND tbl_name = ?1");
        s.bind_text(1, table.name);
        while (s.step()) in_order.push_back(s.column_text(0));
        made = &in_order;
    }
    for (const std::string& name : *made) {
        auto it = listed.find(name);
        if (it == listed.end() || it->second.second == "pk") continue;
        const std::vector<std::string> columns = index_columns(state, name);
        const bool constraint = it->second.second == "u";
        std::string shown = name;
        if (constraint) {
            const std::string given = unique_constraint_name(parsed, columns);
            if (!given.empty()) shown = given;
        }
        Index index(shown);
        for (const std::string& c : columns) index.AppendField(c);
        index.SetUnique(it->second.first);
        index.SetRequired(required(columns));
        result.push_back({std::move(index),
                          constraint ? IndexInfo::UniqueConstraint : IndexInfo::Created, name});
    }
    return result;
}

namespace {

// A relation as read, before unnamed ones get their names.
struct FoundRelation {
    std::string name;  // "" when the constraint has none
    std::string table;
    std::string foreign_table;
    std::vector<RelationField> fields;
    std::string on_update;
    std::string on_delete;
};

// A foreign key of a table as SQLite lists it.
struct ListedKey {
    std::vector<std::string> from, to;
    std::string parent, on_update, on_delete;
    bool to_given = true;
};

// The foreign keys of `table`, the one written first in front (SQLite
// numbers them from the last written).
std::vector<ListedKey> listed_keys(DbState& state, const std::string& table) {
    std::map<std::int64_t, ListedKey, std::greater<>> keys;
    Consulta s(state,
               "SELECT id, \"table\", \"from\", \"to\", on_update, on_delete "
               "FROM pragma_foreign_key_list(?1) ORDER BY id, seq");
    s->bind_text(1, table);
    while (s->step()) {
        ListedKey& k = keys[s->column_int64(0)];
        k.parent = s->column_text(1);
        k.from.push_back(s->column_text(2));
        if (s->column_type(3) == SQLITE_NULL) k.to_given = false;
        k.to.push_back(s->column_text(3));
        k.on_update = s->column_text(4);
        k.on_delete = s->column_text(5);
    }
    std::vector<ListedKey> in_order;
    for (auto& [id, k] : keys) in_order.push_back(std::move(k));
    return in_order;
}

// The constraint name written for the key `k`, matched on its columns and
// parent (position only breaks ties); "" when none was written.  Marks the
// written key used.
std::string written_name(const ListedKey& k, const std::vector<WrittenForeignKey>& written,
                         std::vector<bool>& used) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        const WrittenForeignKey& w = written[i];
        if (used[i] || !iequals(w.references.parent, k.parent) || !same_names(w.from, k.from))
            continue;
        if (k.to_given ? !same_names(w.references.to, k.to) : !w.references.to.empty()) continue;
        used[i] = true;
        return w.name;
    }
    return {};
}

// Unnamed relations get the referenced and referencing table names, with a
// number when that name is already taken.
std::vector<Relation> named(std::vector<FoundRelation> found) {
    std::set<std::string> taken;
    for (const FoundRelation& f : found) {
        if (!f.name.empty()) taken.insert(fold_case(f.name));
    }
    std::vector<Relation> relations;
    for (FoundRelation& f : found) {
        if (f.name.empty()) {
            const std::string base = f.table + f.foreign_table;
            std::string candidate = base;
            for (int n = 1; taken.count(fold_case(candidate)) != 0; ++n)
                candidate = base + std::to_string(n);
            taken.insert(fold_case(candidate));
            f.name = candidate;
        }
        relations.emplace_back(f.name, f.table, f.foreign_table, std::move(f.fields), f.on_update,
                               f.on_delete);
    }
    return relations;
}

}  // namespace

std::vector<Relation> read_relations(DbState& state) {
    std::vector<FoundRelation> found;
    const std::vector<StoredTable> tables = stored_tables(state);
    auto canonical = [&](const std::string& name) {
        for (const StoredTable& t : tables) {
            if (iequals(t.name, name)) return t.name;
        }
        return name;
    };
    for (const StoredTable& table : tables) {
        std::vector<ListedKey> keys = listed_keys(state, table.name);
        if (keys.empty()) continue;
        std::vector<WrittenForeignKey> written;
        if (auto parsed = parse_create_table(table.sql)) written = written_foreign_keys(*parsed);
        std::vector<bool> used(written.size(), false);
        for (ListedKey& k : keys) {
            if (!k.to_given) k.to = primary_key_columns(state, k.parent);
            FoundRelation f{written_name(k, written, used),
                            canonical(k.parent),
                            table.name,
                            {},
                            k.on_update,
                            k.on_delete};
            for (std::size_t i = 0; i < k.from.size(); ++i) {
                f.fields.push_back({i < k.to.size() ? k.to[i] : std::string(), k.from[i]});
            }
            found.push_back(std::move(f));
        }
    }
    return named(std::move(found));
}

}  // namespace pezolva::engine::detail
