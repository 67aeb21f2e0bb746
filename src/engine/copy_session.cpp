#include "engine/copy_session.h"

#include <exception>
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
std::optional<std::vector<std::string>> probe_queries(detail::DbState& state,
                                                      const std::string& table) {
    const auto target = detail::read_rule_table(state, kExternalSchema, table);
    const auto source = detail::read_rule_table(state, "main", table);
    if (!target || !source || !same_columns(*target, *source)) return std::nullopt;
    for (const detail::ForeignKey& k : target->keys) {
        const auto parent_target = detail::read_rule_table(state, kExternalSchema, k.parent);
        const auto parent_source = detail::read_rule_table(state, "main", k.parent);
        if (!parent_target || !parent_source || !same_columns(*parent_target, *parent_source))
            return std::nullopt;
    }
    // The target's rules, asked of the source's rows.
    RuleTable in_source = *target;
    in_source.schema = "main";
    std::vector<std::string> queries;
    if (const std::string types = type_condition(in_source); !types.empty()) {
        queries.push_back("SELECT 1 FROM " + in_source.qualified() + " AS c WHERE " + types +
                          " LIMIT 1");
    }
    for (const detail::ForeignKey& k : in_source.keys)
        queries.push_back(key_check(in_source, k).any_orphan);
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

    // The first error that ended the session.
    std::string cause;

    EngineError interrupted() const {
        return EngineError(ErroMotor, "A cópia para o ficheiro '" + file +
                                          "' não pode continuar depois do erro anterior" +
                                          (cause.empty() ? std::string(".") : ": " + cause));
    }

    // Ends the session after `error`: the target goes back to what it was.
    void end(const std::string& error) {
        if (!broken) cause = error;
        broken = true;
        if (transaction) transaction->rollback();
    }

    struct Failure {
        std::exception_ptr error;
        std::string cause;  // its description
        bool ends_session = false;
    };

    // Copies `table` inside a savepoint, setting `target` (once read) and
    // `copied`; the failure, its savepoint rolled back, or nullopt.
    std::optional<Failure> copy(std::string_view table, const Planned* planned,
                                std::optional<detail::RuleTable>& target,
                                detail::CopiedTable& copied) {
        // The checks in the target can be skipped when the target's table
        // got exactly the source's rows, its parents too, and the second
        // reader found no source row that breaks a rule.  The second reader
        // judged the source's rows by the target's rules only where both
        // tables have the same columns in the same order (probe_queries),
        // which also makes the insert the plain one.
        const auto known_clean = [&](const detail::InsertedRows& rows) {
            if (!probe || !planned || !planned->probe_index || !rows.plain ||
                !rows.target_was_empty)
                return false;
            for (const detail::ForeignKey& k : target->keys) {
                if (iequals(k.parent, target->name)) continue;
                const auto parent = exact.find(fold_case(k.parent));
                if (parent == exact.end() || !parent->second) return false;
            }
            return probe->found(*planned->probe_index) == false;
        };
        std::optional<detail::Savepoint> savepoint;
        try {
            savepoint.emplace(*state, "pz_copia_tabela");
            target = detail::read_rule_table(*state, kExternalSchema, table);
            const auto source = detail::find_table(*state, table, true);
            if (!target || !source) throw table_not_found(std::string(table));
            copied = detail::copy_table_rows(*state, *target, source->name, file, known_clean);
            savepoint->release();
            return std::nullopt;
        } catch (const detail::StorageError& e) {
            return Failure{std::current_exception(), e.descricao(), true};
        } catch (const EngineError& e) {
            // Reading the definitions can meet the files' failures too.
            if (auto about_file = detail::storage_failure(state->db(), e, state->path(), file)) {
                return Failure{std::make_exception_ptr(*about_file), about_file->descricao(), true};
            }
            return Failure{std::current_exception(), e.descricao(), false};
        }
    }

    // The planned entry of `table` not yet copied, marked copied; nullptr
    // when it was not planned (or was already copied).
    Planned* take_planned(std::string_view table) {
        for (Planned& p : plan) {
            if (!p.used && p.folded_name == fold_case(table)) {
                p.used = true;
                return &p;
            }
        }
        return nullptr;
    }
};

CopySession::CopySession(Database& source, const std::string& file,
                         const std::vector<std::string>& tables)
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
    Impl::Planned* planned = s.take_planned(table);
    std::optional<detail::RuleTable> target;
    detail::CopiedTable copied;
    if (std::optional<Impl::Failure> failure = s.copy(table, planned, target, copied)) {
        s.compact = false;
        s.exact[fold_case(target ? target->name : std::string(table))] = false;
        // What the files or the connection failed may have taken earlier
        // tables' rows with it, whether or not SQLite ended the
        // transaction: the copy is incomplete, and must not be finished.
        if (failure->ends_session || !s.state->in_transaction()) s.end(failure->cause);
        std::rethrow_exception(failure->error);
    }
    s.exact[fold_case(target->name)] = copied.exact();
    if (!copied.exact() || !copied.rows.transfer) s.compact = false;
    return {copied.rows.read, copied.kept()};
}

bool CopySession::Finish() {
    Impl& s = *impl_;
    if (s.broken || !s.transaction || !s.state->in_transaction()) throw s.interrupted();
    s.probe.reset();
    try {
        const bool compact = s.compact && s.state->value(std::string("PRAGMA ") + kExternalSchema +
                                                         ".freelist_count")
                                                  .to_integer() == 0;
        s.transaction->commit();
        s.transaction.reset();
        s.external.reset();
        return compact;
    } catch (const EngineError& e) {
        // Only the target is written now.
        if (auto about_file = detail::storage_failure(s.state->db(), e, s.file, s.file)) {
            s.end(about_file->descricao());
            throw *about_file;
        }
        s.end(e.descricao());
        throw;
    }
}

bool CopySession::Broken() const { return impl_->broken; }

}  // namespace pezolva::engine
