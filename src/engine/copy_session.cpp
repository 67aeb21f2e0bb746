#include "engine/copy_session.h"

#include <map>
#include <optional>

#include "common/text.h"
#include "engine/detail/copy_session_probe.h"
#include "engine/detail/db_state.h"
#include "engine/detail/external_insert.h"
#include "engine/detail/external_insert_rules.h"
#include "engine/detail/schema_reader.h"

namespace pezolva::engine {
namespace {

using detail::kExternalSchema;
using detail::RuleTable;

// The queries that find, in the source, a row of `table` that would break
// a type or relation rule of the target, or nullopt when the source cannot
// stand for the target: the table or one of its parents is missing in
// either, or differs in its columns, so that values could change type or
// compare otherwise on the way.
std::optional<std::vector<std::string>> probe_queries(detail::DbState& state, const std::string& table) {
    const auto target = detail::read_rule_table(state, kExternalSchema, table);
    const auto source = detail::read_rule_table(state, "main", table);
    if (!target || !source || !same_columns(*target, *source)) return std::nullopt;
    for (const detail::ForeignKey& k : target->keys) {
        const auto parent_target = detail::read_rule_table(state, kExternalSchema, k.parent);
        const auto parent_source = detail::read_rule_table(state, "main", k.parent);
        if (!parent_target || !parent_source || !same_columns(*parent_target, *parent_source)) return std::nullopt;
    }
    // The target's rules, asked of the source's rows.
    RuleTable in_source = *target;
    in_source.schema = "main";
    std::vector<std::string> queries;
    if (const std::string types = type_condition(in_source); !types.empty()) {
        queries.push_back("SELECT 1 FROM " + in_source.qualified() + " AS c WHERE " + types + " LIMIT 1");
    }
    for (const detail::ForeignKey& k : in_source.keys) queries.push_back(key_check(in_source, k).any_orphan);
    return queries;
}

}  // namespace

struct CopySession::Impl {
    struct Planned {
        std::string folded_name;
        std::optional<std::size_t> probe_index;
        bool used = false;
    };

    std::shared_ptr<detail::DbState> state;
    std::string file;
    // Destroyed in reverse order: the probe stops, the transaction rolls
    // back, then the file is detached and foreign keys come back on.
    std::unique_ptr<detail::ExternalFile> external;
    std::unique_ptr<detail::TransactionGuard> transaction;
    std::unique_ptr<detail::RuleProbe> probe;

    std::vector<Planned> plan;
    // By folded name: whether the target's table holds exactly the source's rows.
    std::map<std::string, bool> exact;
    bool compact = true;
    bool broken = false;

    EngineError interrupted() const {
        return EngineError(ErroMotor, "A cópia para o ficheiro '" + file +
                                          "' não pode continuar depois do erro anterior.");
    }
};

CopySession::CopySession(Database& source, const std::string& file, const std::vector<std::string>& tables)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.state = source.state();
    s.file = file;
    s.external = std::make_unique<detail::ExternalFile>(*s.state, file);
    // The target is a file being built, named by nobody until it is done:
    // syncing it is left to its builder, who syncs once, beside other work,
    // when it is done.  Its rollback journal stays a file: it holds only
    // the pages the file had before (few, in a structure copy), but in
    // memory those could be as many as the file had.
    s.state->exec(std::string("PRAGMA ") + kExternalSchema + ".synchronous=OFF");

    // 1. The read transaction on the source, its lock taken now and kept to
    //    the end.
    s.transaction = std::make_unique<detail::TransactionGuard>(*s.state, false);
    s.state->value("SELECT count(*) FROM main.sqlite_schema");

    // 2. A second reader may judge the source's rows meanwhile, where the
    //    source stands for the target; only in a rollback-journal source is
    //    it sure to see the same state as this connection.
    const bool wal = iequals(s.state->value("PRAGMA main.journal_mode").to_text(), "wal");
    std::vector<std::vector<std::string>> queries;
    for (const std::string& t : tables) {
        Impl::Planned planned{fold_case(t), std::nullopt, false};
        if (!wal) {
            if (auto q = probe_queries(*s.state, t)) {
                planned.probe_index = queries.size();
                queries.push_back(std::move(*q));
            }
        }
        s.plan.push_back(std::move(planned));
    }
    if (!queries.empty()) {
        try {
            s.probe = std::make_unique<detail::RuleProbe>(s.state->path(), std::move(queries));
        } catch (const EngineError&) {
            // Without the second reader every table is checked in the target.
        }
    }
}

CopySession::~CopySession() = default;

CopiedRows CopySession::CopyTable(std::string_view table) {
    Impl& s = *impl_;
    if (s.broken || !s.transaction) throw s.interrupted();
    const auto target = detail::read_rule_table(*s.state, kExternalSchema, table);
    const auto source = detail::find_table(*s.state, table, true);
    if (!target) throw table_not_found(std::string(table));
    if (!source) throw table_not_found(std::string(table));

    Impl::Planned* planned = nullptr;
    for (Impl::Planned& p : s.plan) {
        if (!p.used && p.folded_name == fold_case(table)) {
            planned = &p;
            p.used = true;
            break;
        }
    }
    // The checks in the target can be skipped when the target's table got
    // exactly the source's rows, its parents too, and the second reader
    // found no source row that breaks a rule.
    const auto known_clean = [&](const detail::InsertedRows& rows) {
        if (!s.probe || !planned || !planned->probe_index || !rows.plain || !rows.target_was_empty) return false;
        for (const detail::ForeignKey& k : target->keys) {
            if (iequals(k.parent, target->name)) continue;
            const auto parent = s.exact.find(fold_case(k.parent));
            if (parent == s.exact.end() || !parent->second) return false;
        }
        return s.probe->found(*planned->probe_index) == false;
    };

    detail::CopiedTable copied;
    {
        detail::Savepoint savepoint(*s.state, "pz_copia_tabela");
        try {
            copied = detail::copy_table_rows(*s.state, *target, source->name, known_clean);
            savepoint.release();
        } catch (...) {
            s.compact = false;
            s.exact[fold_case(target->name)] = false;
            if (!s.state->in_transaction()) s.broken = true;
            throw;
        }
    }
    s.exact[fold_case(target->name)] = copied.exact();
    if (!copied.exact() || !copied.rows.transfer) s.compact = false;
    return {copied.rows.read, copied.kept()};
}

bool CopySession::Finish() {
    Impl& s = *impl_;
    if (s.broken || !s.transaction || !s.state->in_transaction()) throw s.interrupted();
    s.probe.reset();
    const bool compact =
        s.compact &&
        s.state->value(std::string("PRAGMA ") + kExternalSchema + ".freelist_count").to_integer() == 0;
    s.transaction->commit();
    s.transaction.reset();
    s.external.reset();
    return compact;
}

}  // namespace pezolva::engine
