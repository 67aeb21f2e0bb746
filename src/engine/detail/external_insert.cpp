#include "engine/detail/external_insert.h"

#include <filesystem>
#include <vector>

#include "engine/detail/connection_text.h"
#include "engine/detail/password_gate.h"
#include "engine/detail/schema_reader.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

bool is_constraint(const EngineError& e) {
    return e.numero() == ErroDuplicado || e.numero() == ErroNulo || e.numero() == ErroRegraValidacao ||
           (e.numero() == ErroMotor && e.descricao().find("constraint failed") != std::string::npos);
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

ExternalFile::ExternalFile(DbState& state, const std::string& file) : state_(state), foreign_keys_off_(state) {
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
        sqlite3_exec(state_.db(), (std::string("DETACH ") + kExternalSchema).c_str(), nullptr, nullptr, nullptr);
    }
    attached_ = false;
}

ExternalFile::~ExternalFile() { detach(); }

CopiedTable copy_table_rows(DbState& state, const RuleTable& target, const std::string& source,
                            const std::function<bool(const InsertedRows&)>& known_clean) {
    const std::string into = target.qualified();
    const std::string body = " INTO " + into + " SELECT * FROM main." + quote_identifier(source);

    // 1. Rows already in the target are not the copy's to judge.
    CopiedTable copied;
    InsertedRows& rows = copied.rows;
    rows.target_was_empty = state.value("SELECT 1 FROM " + into + " LIMIT 1").is_null();
    const bool had_rows = !rows.target_was_empty;
    if (had_rows) {
        state.exec("CREATE TEMP TABLE pz_antes AS SELECT " + target.identity + " FROM " + into + " AS c");
    }

    // 2. The plain insert first: it read every row of the source when it
    //    succeeds.  When a row breaks a NOT NULL, UNIQUE or CHECK rule it
    //    fails whole, and the rows go again with OR IGNORE.
    try {
        if (rows.target_was_empty) rows.transfer = uses_transfer(state, "INSERT" + body);
        state.exec("INSERT" + body);
        rows.read = rows.inserted = state.changes();
        rows.plain = true;
    } catch (const EngineError& e) {
        if (!is_constraint(e)) throw;
        rows.transfer = false;
        rows.read = state.value("SELECT count(*) FROM main." + quote_identifier(source)).to_integer().value_or(0);
        state.exec("INSERT OR IGNORE" + body);
        rows.inserted = state.changes();
    }

    // 3. Rows with a value of the wrong type go out, then rows with no
    //    parent; a table that refers to itself may need several rounds.
    if (!known_clean || !known_clean(rows)) {
        const std::string mine =
            had_rows ? " AND (" + target.identity + ") NOT IN (SELECT * FROM temp.pz_antes)" : "";
        if (const std::string types = type_condition(target); !types.empty()) {
            state.exec("DELETE FROM " + into + " AS c WHERE (" + types + ")" + mine);
            copied.removed += state.changes();
        }
        std::vector<KeyCheck> checks;
        for (const ForeignKey& k : target.keys) checks.push_back(key_check(target, k));
        for (bool again = true; again;) {
            again = false;
            for (const KeyCheck& check : checks) {
                if (state.value(check.any_orphan).is_null()) continue;
                state.exec("DELETE FROM " + into + " AS c WHERE " + check.orphan_row + mine);
                copied.removed += state.changes();
                again = again || (check.to_itself && state.changes() > 0);
            }
        }
    }
    if (had_rows) state.exec("DROP TABLE temp.pz_antes");
    return copied;
}

std::int64_t insert_into_external(DbState& state, const ExternalInsert& insert) {
    // Both sides must exist.
    std::error_code ec;
    if (!std::filesystem::exists(insert.file, ec)) throw file_not_found(insert.file);
    const std::optional<StoredTable> source = find_table(state, insert.source_table, true);
    if (!source) throw table_not_found(insert.source_table);

    ExternalFile file(state, insert.file, ExternalFile::OpenRules{state.password});
    const std::optional<RuleTable> target = read_rule_table(state, kExternalSchema, insert.target_table);
    if (!target) throw table_not_found(insert.target_table);

    TransactionGuard transaction(state, false);
    const CopiedTable copied = copy_table_rows(state, *target, source->name);
    transaction.commit();
    return copied.kept();
}

}  // namespace pezolva::engine::detail
