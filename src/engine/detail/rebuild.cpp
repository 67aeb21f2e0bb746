#include "engine/detail/rebuild.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

bool has_name(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return iequals(n, name); });
}

bool same_names(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return a.size() == b.size() &&
           std::all_of(a.begin(), a.end(), [&](const std::string& n) { return has_name(b, n); });
}

std::string column_text(const ColumnDef& c, std::string_view sql, const RebuildPlan& plan) {
    std::string text;
    std::size_t from = c.begin;
    bool not_null = false;
    for (const ColumnConstraint& k : c.constraints) {
        const bool drop = (k.kind == ColumnConstraint::PrimaryKey && plan.drop_primary_key) ||
                          (k.kind == ColumnConstraint::Unique && !plan.drop_unique.empty() &&
                           same_names(plan.drop_unique, {c.name}));
        if (k.kind == ColumnConstraint::NotNull) not_null = true;
        if (!drop) continue;
        text += sql.substr(from, k.begin - from);
        from = k.end;
    }
    text += sql.substr(from, c.end - from);
    if (!not_null && has_name(plan.make_required, c.name)) text += " NOT NULL";
    return text;
}

bool keep_constraint(const TableConstraint& k, const RebuildPlan& plan) {
    const bool uses_dropped = !plan.drop_column.empty() && has_name(k.columns, plan.drop_column);
    switch (k.kind) {
        case TableConstraint::PrimaryKey:
            return !plan.drop_primary_key && !uses_dropped;
        case TableConstraint::Unique:
            return !uses_dropped &&
                   (plan.drop_unique.empty() || !same_names(plan.drop_unique, k.columns));
        case TableConstraint::Foreign:
            return !uses_dropped;
        default:
            return true;
    }
}

bool is_generated(const ColumnDef& c) {
    return std::any_of(c.constraints.begin(), c.constraints.end(), [](const ColumnConstraint& k) {
        return k.kind == ColumnConstraint::Generated;
    });
}

// Every statement that recreates an index or trigger of the table, less
// the indexes that use the dropped column.
std::vector<std::string> dependent_sql(DbState& state, const StoredTable& table,
                                       const RebuildPlan& plan) {
    std::vector<std::string> statements;
    Statement s = state.prepare(
        "SELECT name, type, sql FROM sqlite_schema "
        "WHERE tbl_name = ?1 AND type IN ('index', 'trigger') AND sql IS NOT NULL");
    s.bind_text(1, table.name);
    while (s.step()) {
        if (s.column_text(1) == "index" && !plan.drop_column.empty()) {
            Statement columns = state.prepare("SELECT name FROM pragma_index_info(?1)");
            columns.bind_text(1, s.column_text(0));
            bool uses = false;
            while (columns.step()) uses = uses || iequals(columns.column_text(0), plan.drop_column);
            if (uses) continue;
        }
        statements.push_back(s.column_text(2));
    }
    return statements;
}

// The tables with a foreign key to `table`, itself included when it
// refers to itself.
std::vector<std::string> referring_tables(DbState& state, const std::string& table) {
    std::vector<std::string> names;
    for (const StoredTable& t : stored_tables(state)) {
        Statement s = state.prepare(
            "SELECT 1 FROM pragma_foreign_key_list(?1) WHERE \"table\" = ?2 COLLATE NOCASE");
        s.bind_text(1, t.name);
        s.bind_text(2, table);
        if (s.step()) names.push_back(t.name);
    }
    return names;
}

void check_foreign_keys(DbState& state, const std::string& table) {
    std::vector<std::string> to_check{table};
    for (const std::string& name : referring_tables(state, table)) {
        if (!iequals(name, table)) to_check.push_back(name);
    }
    for (const std::string& name : to_check) {
        if (!state.value("PRAGMA foreign_key_check(" + quote_identifier(name) + ")").is_null()) {
            throw EngineError(ErroIntegridade,
                              "A alteração da tabela '" + table +
                                  "' violaria a integridade referencial da tabela '" + name + "'.");
        }
    }
}

// Resets PRAGMA legacy_alter_table when it goes.
class LegacyAlter {
  public:
    explicit LegacyAlter(DbState& state) : state_(state) {
        state.exec("PRAGMA legacy_alter_table=ON");
    }
    ~LegacyAlter() {
        if (state_.open())
            sqlite3_exec(state_.db(), "PRAGMA legacy_alter_table=OFF", nullptr, nullptr, nullptr);
    }
    LegacyAlter(const LegacyAlter&) = delete;
    LegacyAlter& operator=(const LegacyAlter&) = delete;

  private:
    DbState& state_;
};

}  // namespace

std::string primary_key_clause(const Index& index) {
    return "CONSTRAINT " + quote_identifier(index.Name()) + " PRIMARY KEY (" +
           quote_identifier_list(index.Fields()) + ")";
}

std::string create_index_sql(const std::string& table, const Index& index) {
    return std::string("CREATE ") + (index.Unique() ? "UNIQUE " : "") + "INDEX " +
           quote_identifier(index.Name()) + " ON " + quote_identifier(table) + " (" +
           quote_identifier_list(index.Fields()) + ")";
}

std::string rebuilt_table_sql(const CreateTable& table, std::string_view sql,
                              const RebuildPlan& plan, const std::string& new_name) {
    std::vector<std::string> items;
    for (const Element& e : table.order) {
        if (e.is_column) {
            const ColumnDef& c = table.columns[e.index];
            if (!plan.drop_column.empty() && iequals(c.name, plan.drop_column)) continue;
            items.push_back(column_text(c, sql, plan));
        } else {
            const TableConstraint& k = table.constraints[e.index];
            if (keep_constraint(k, plan)) items.emplace_back(sql.substr(k.begin, k.end - k.begin));
        }
    }
    if (plan.add_field) items.push_back(plan.add_field->definition());
    if (plan.add_primary_key) items.push_back(primary_key_clause(*plan.add_primary_key));
    std::string out = "CREATE TABLE " + quote_identifier(new_name) + " (\n    ";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ",\n    " : "") + items[i];
    return out + "\n)" + table.tail;
}

namespace {

// The rows of `table` into the new table `new_name`, but the dropped and the
// generated columns, with their rowids unless the new table makes its own
// (an INTEGER primary key, or no rowid on either side).
void copy_rows(DbState& state, const StoredTable& table, const CreateTable& parsed,
               const RebuildPlan& plan, const std::string& new_name) {
    std::string columns;
    for (const ColumnDef& c : parsed.columns) {
        if ((!plan.drop_column.empty() && iequals(c.name, plan.drop_column)) || is_generated(c))
            continue;
        columns += (columns.empty() ? "" : ", ") + quote_identifier(c.name);
    }
    if (columns.empty()) return;
    const std::optional<StoredTable> created = find_table(state, new_name);
    const std::optional<CreateTable> created_parsed = parse_create_table(created->sql);
    const std::vector<std::string> key = primary_key_columns(state, new_name);
    bool alias = false;
    if (key.size() == 1) {
        for (const Field& f : read_fields(state, new_name)) {
            if (iequals(f.Name(), key[0])) alias = iequals(trim(f.DeclaredType()), "INTEGER");
        }
    }
    const bool copy_rowid = !alias && !without_rowid(parsed) && !without_rowid(*created_parsed);
    const std::string rowid = copy_rowid ? "_rowid_, " : "";
    state.exec("INSERT INTO " + quote_identifier(new_name) + " (" + rowid + columns + ") SELECT " +
               rowid + columns + " FROM " + quote_identifier(table.name));
}

}  // namespace

void rebuild_table(DbState& state, const StoredTable& table, const RebuildPlan& plan) {
    const std::optional<CreateTable> parsed = parse_create_table(table.sql);
    if (!parsed) {
        throw EngineError(ErroMotor,
                          "Não é possível alterar a estrutura da tabela '" + table.name + "'.");
    }
    // 1. Foreign keys off and legacy renaming on, outside the transaction.
    //    Inside the caller's transaction the keys stay on, which is safe
    //    only while nothing refers to the table: dropping it would
    //    otherwise delete or refuse through those references.
    std::optional<ForeignKeysOff> foreign_keys_off;
    std::optional<TransactionGuard> transaction;
    if (state.in_transaction()) {
        if (!referring_tables(state, table.name).empty()) {
            throw EngineError(ErroMotor,
                              "Não é possível alterar a estrutura da tabela '" + table.name +
                                  "' dentro de uma transacção, porque há relações que a referem.");
        }
    } else {
        foreign_keys_off.emplace(state);
    }
    LegacyAlter legacy(state);
    if (!state.in_transaction()) transaction.emplace(state);
    Savepoint savepoint(state, "pz_reconstroi");

    // 2. What must be made again after the old table goes.
    const std::vector<std::string> dependents = dependent_sql(state, table, plan);

    // 3. The new table, under a name no other object has.
    std::string new_name = "pz_novo_" + table.name;
    while (find_table(state, new_name, true)) new_name += "_";
    state.exec(rebuilt_table_sql(*parsed, table.sql, plan, new_name));

    // 4. The rows.
    copy_rows(state, table, *parsed, plan, new_name);

    // 5. The old table out, the new one in its place, its indexes and
    //    triggers back.
    state.exec("DROP TABLE " + quote_identifier(table.name));
    state.exec("ALTER TABLE " + quote_identifier(new_name) + " RENAME TO " +
               quote_identifier(table.name));
    for (const std::string& sql : dependents) state.exec(sql);

    // 6. The relations must still hold.
    check_foreign_keys(state, table.name);
    savepoint.release();
    if (transaction) transaction->commit();
}

}  // namespace pezolva::engine::detail
