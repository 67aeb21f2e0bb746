#include "engine/detail/external_insert.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "common/text.h"
#include "engine/detail/connection_text.h"
#include "engine/detail/password_gate.h"
#include "engine/detail/schema_reader.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

// Whether the insert that just threw `e` failed for a row that breaks a
// rule of the target: a constraint, or a rowid that is no whole number.
bool refused_by_a_rule(DbState& state, const EngineError& e) {
    if (e.numero() == ErroDuplicado || e.numero() == ErroNulo || e.numero() == ErroRegraValidacao)
        return true;
    if (e.numero() != ErroMotor) return false;
    const int code = sqlite3_extended_errcode(state.db()) & 0xff;
    return code == SQLITE_CONSTRAINT || code == SQLITE_MISMATCH ||
           e.descricao().find("constraint failed") != std::string::npos;
}

// Whether SQLite compiled the insert to its transfer path, which moves raw
// records and index entries in key order (the program reads whole records
// with RowData or RowCell) and so packs the target's pages as VACUUM does.
// An opcode renamed in another SQLite release only makes this say no.
bool uses_transfer(DbState& state, const std::string& insert) {
    Statement explain = state.prepare("EXPLAIN " + insert);
    while (explain.step()) {
        const std::string opcode = explain.column_text(1);
        if (opcode == "RowData" || opcode == "RowCell") return true;
    }
    return false;
}

}  // namespace

ExternalFile::ExternalFile(DbState& state, const std::string& file)
    : state_(state), foreign_keys_off_(state) {
    // ATTACH would otherwise create the file.
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) throw file_not_found(file);
    attach(file);
}

ExternalFile::ExternalFile(DbState& state, const std::string& file, const OpenRules& rules)
    : state_(state), foreign_keys_off_(state) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) throw file_not_found(file);
    // An empty file would be taken by SQLite as a new database.
    if (!std::filesystem::is_regular_file(status) || std::filesystem::file_size(file, ec) == 0) {
        throw not_a_database(file);
    }
    lock_ = CompanionLock(file, CompanionLock::Mode::Shared);
    attach(file);
    try {
        if (sqlite3_db_readonly(state.db(), kExternalSchema) == 1) throw not_writable(file);
        check_password(state, rules.password, kExternalSchema);
    } catch (...) {
        detach();
        throw;
    }
}

void ExternalFile::attach(const std::string& file) {
    Statement attach = state_.prepare(std::string("ATTACH ?1 AS ") + kExternalSchema);
    attach.bind_text(1, file_uri(file, "mode=rw"));
    try {
        attach.run();
        attached_ = true;
        state_.value(std::string("SELECT count(*) FROM ") + kExternalSchema + ".sqlite_schema");
    } catch (const EngineError& e) {
        EngineError about_file = last_error(state_.db(), file);
        detach();
        if (about_file.numero() == e.numero()) throw about_file;
        throw;
    }
}

void ExternalFile::detach() {
    if (attached_ && state_.open()) {
        sqlite3_exec(state_.db(), (std::string("DETACH ") + kExternalSchema).c_str(), nullptr,
                     nullptr, nullptr);
    }
    attached_ = false;
}

ExternalFile::~ExternalFile() { detach(); }

namespace {

// The columns of a table or view of `schema`, as stored, in order.
std::vector<std::string> column_names(DbState& state, const std::string& schema,
                                      const std::string& table) {
    Statement s =
        state.prepare("PRAGMA " + schema + ".table_info(" + quote_identifier(table) + ")");
    std::vector<std::string> names;
    while (s.step()) names.push_back(s.column_text(1));
    return names;
}

// How the rows of a source table go into the target, the columns matched
// by name.
struct InsertText {
    // What follows "INSERT": " INTO t SELECT * FROM main.s" when both have
    // the same names in the same order, else " INTO t ("a", "b") SELECT
    // "A", "B" FROM main.s".
    std::string body;
    // The source column that feeds the target's rowid alias, quoted; ""
    // when none does.
    std::string to_rowid;
};

// The target's column of the very same spelling is preferred to one that
// differs only in case.  ErroColuna when a source column has no namesake
// left in the target.
InsertText insert_text(DbState& state, const RuleTable& target, const std::string& source,
                       const std::string& file) {
    const std::vector<std::string> from = column_names(state, "main", source);
    const std::string tail = " FROM main." + quote_identifier(source);
    const auto same_name = [](const std::string& f, const RuleColumn& t) {
        return iequals(f, t.name);
    };
    InsertText text;
    if (std::equal(from.begin(), from.end(), target.columns.begin(), target.columns.end(),
                   same_name)) {
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (target.columns[i].name == target.rowid_alias)
                text.to_rowid = quote_identifier(from[i]);
        }
        text.body = " INTO " + target.qualified() + " SELECT *" + tail;
        return text;
    }

    std::vector<bool> taken(target.columns.size(), false);
    const auto namesake = [&](const std::string& name) -> std::optional<std::size_t> {
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < target.columns.size(); ++i) {
            if (taken[i] || !iequals(target.columns[i].name, name)) continue;
            if (target.columns[i].name == name) return i;
            if (!found) found = i;
        }
        return found;
    };
    std::vector<std::string> into, select;
    for (const std::string& name : from) {
        const std::optional<std::size_t> i = namesake(name);
        if (!i) throw field_not_in_target(target.name, name, file);
        taken[*i] = true;
        into.push_back(target.columns[*i].name);
        select.push_back(name);
        if (target.columns[*i].name == target.rowid_alias) text.to_rowid = quote_identifier(name);
    }
    text.body = " INTO " + target.qualified() + " (" + quote_identifier_list(into) + ") SELECT " +
                quote_identifier_list(select) + tail;
    return text;
}

// Deletes the rows of `target` that break a type or relation rule, but
// those it held before the copy (listed in temp.pz_antes when `had_rows`);
// a table that refers to itself may need several rounds.  Returns how many.
std::int64_t remove_broken_rows(DbState& state, const RuleTable& target, bool had_rows) {
    const std::string into = target.qualified();
    const std::string mine =
        had_rows ? " AND (" + target.identity + ") NOT IN (SELECT * FROM temp.pz_antes)" : "";
    std::int64_t removed = 0;
    if (const std::string types = type_condition(target); !types.empty()) {
        state.exec("DELETE FROM " + into + " AS c WHERE (" + types + ")" + mine);
        removed += state.changes();
    }
    std::vector<KeyCheck> checks;
    for (const ForeignKey& k : target.keys) checks.push_back(key_check(target, k));
    for (bool again = true; again;) {
        again = false;
        for (const KeyCheck& check : checks) {
            if (state.value(check.any_orphan).is_null()) continue;
            state.exec("DELETE FROM " + into + " AS c WHERE " + check.orphan_row + mine);
            removed += state.changes();
            again = again || (check.to_itself && state.changes() > 0);
        }
    }
    return removed;
}

CopiedTable copy_rows(DbState& state, const RuleTable& target, const std::string& source,
                      const std::string& file,
                      const std::function<bool(const InsertedRows&)>& known_clean) {
    const std::string into = target.qualified();
    const InsertText text = insert_text(state, target, source, file);
    const std::string& body = text.body;

    // 1. Rows already in the target are not the copy's to judge.
    CopiedTable copied;
    InsertedRows& rows = copied.rows;
    rows.target_was_empty = state.value("SELECT 1 FROM " + into + " LIMIT 1").is_null();
    const bool had_rows = !rows.target_was_empty;
    if (had_rows) {
        state.exec("CREATE TEMP TABLE pz_antes AS SELECT " + target.identity + " FROM " + into +
                   " AS c");
    }

    // 2. The plain insert first: it read every row of the source when it
    //    succeeds.  When a row breaks a NOT NULL, UNIQUE or CHECK rule, or
    //    brings the rowid a value that is no whole number, it fails whole,
    //    and the rows go again with OR IGNORE, those of the latter kind
    //    left out beforehand (OR IGNORE does not cover them).  Any other
    //    failure is no row's doing, and goes up.
    try {
        if (rows.target_was_empty) rows.transfer = uses_transfer(state, "INSERT" + body);
        state.exec("INSERT" + body);
        rows.read = rows.inserted = state.changes();
        rows.plain = true;
    } catch (const EngineError& e) {
        if (!refused_by_a_rule(state, e)) throw;
        rows.transfer = false;
        rows.read = state.value("SELECT count(*) FROM main." + quote_identifier(source))
                        .to_integer()
                        .value_or(0);
        const std::string& key = text.to_rowid;
        state.exec("INSERT OR IGNORE" + body +
                   (key.empty()
                        ? ""
                        : " WHERE " + key + " IS NULL OR CAST(" + key + " AS INTEGER) = " + key));
        rows.inserted = state.changes();
    }

    // 3. Rows with a value of the wrong type go out, then rows with no
    //    parent.
    if (!known_clean || !known_clean(rows))
        copied.removed += remove_broken_rows(state, target, had_rows);
    if (had_rows) state.exec("DROP TABLE temp.pz_antes");
    return copied;
}

}  // namespace

CopiedTable copy_table_rows(DbState& state, const RuleTable& target, const std::string& source,
                            const std::string& file,
                            const std::function<bool(const InsertedRows&)>& known_clean) {
    try {
        return copy_rows(state, target, source, file, known_clean);
    } catch (const EngineError& e) {
        if (auto failure = storage_failure(state.db(), e, state.path(), file)) {
            throw StorageError(std::move(*failure));
        }
        throw;
    }
}

std::int64_t insert_into_external(DbState& state, const ExternalInsert& insert) {
    // Both sides must exist.
    std::error_code ec;
    if (!std::filesystem::exists(insert.file, ec)) throw file_not_found(insert.file);
    const std::optional<StoredTable> source = find_table(state, insert.source_table, true);
    if (!source) throw table_not_found(insert.source_table);

    ExternalFile file(state, insert.file, ExternalFile::OpenRules{state.password});
    const std::optional<RuleTable> target =
        read_rule_table(state, kExternalSchema, insert.target_table);
    if (!target) throw table_not_found(insert.target_table);

    TransactionGuard transaction(state, false);
    const CopiedTable copied = copy_table_rows(state, *target, source->name, insert.file);
    transaction.commit();
    return copied.kept();
}

}  // namespace pezolva::engine::detail
