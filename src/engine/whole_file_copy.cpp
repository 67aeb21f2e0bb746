#include "engine/whole_file_copy.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>
#include <tuple>

#include "engine/detail/connection_text.h"
#include "engine/detail/db_state.h"
#include "engine/detail/external_insert_rules.h"
#include "engine/detail/schema_reader.h"
#include "engine/detail/two_connections.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

using SchemaEntry = std::tuple<std::string, std::string, std::string, std::string>;

std::vector<SchemaEntry> schema_entries(detail::DbState& state) {
    detail::Statement s =
        state.prepare("SELECT type, name, tbl_name, coalesce(sql, '') FROM main.sqlite_schema");
    std::vector<SchemaEntry> entries;
    while (s.step())
        entries.emplace_back(s.column_text(0), s.column_text(1), s.column_text(2),
                             s.column_text(3));
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The settings of the file's header that shape its pages or travel with it.
std::vector<std::string> header_settings(detail::DbState& state) {
    std::vector<std::string> values;
    for (const char* pragma :
         {"page_size", "encoding", "auto_vacuum", "user_version", "application_id"}) {
        values.push_back(state.value(std::string("PRAGMA main.") + pragma).to_text());
    }
    return values;
}

}  // namespace

std::optional<std::int64_t> KeepStructureDefinitions(
    Database& source, Database& structure, const std::vector<std::string>& structure_rows) {
    detail::DbState& a = *source.state();
    std::vector<SchemaEntry> extra;
    try {
        detail::DbState& b = *structure.state();
        if (header_settings(a) != header_settings(b)) return std::nullopt;
        const std::vector<SchemaEntry> mine = schema_entries(a), wanted = schema_entries(b);
        if (!std::includes(mine.begin(), mine.end(), wanted.begin(), wanted.end()))
            return std::nullopt;
        std::set_difference(mine.begin(), mine.end(), wanted.begin(), wanted.end(),
                            std::back_inserter(extra));
    } catch (const EngineError&) {
        return std::nullopt;
    }
    // An extra entry of SQLite's own goes only with its extra table (the
    // index of a UNIQUE constraint); sqlite_sequence or sqlite_stat1 of
    // the source's own would tell of rows the structure knows nothing of.
    const auto is_extra_table = [&extra](const std::string& name) {
        return std::any_of(extra.begin(), extra.end(), [&](const SchemaEntry& e) {
            return std::get<0>(e) == "table" && std::get<1>(e) == name;
        });
    };
    for (const SchemaEntry& e : extra) {
        const std::string& name = std::get<1>(e);
        if (name.rfind("sqlite_", 0) == 0 &&
            (std::get<0>(e) != "index" || !is_extra_table(std::get<2>(e)))) {
            return std::nullopt;
        }
    }
    std::string structure_path;
    if (!structure_rows.empty()) structure_path = structure.state()->path();
    if (!extra.empty() || !structure_rows.empty()) {
        a.exec("PRAGMA foreign_keys=OFF");
        a.exec("PRAGMA main.journal_mode=MEMORY");
    }
    // Attached outside the transaction, as SQLite requires.
    struct Attached {
        detail::DbState& state;
        bool on = false;
        ~Attached() {
            if (on) sqlite3_exec(state.db(), "DETACH pz_estrutura", nullptr, nullptr, nullptr);
        }
    } attached{a};
    if (!structure_rows.empty()) {
        detail::Statement attach = a.prepare("ATTACH ?1 AS pz_estrutura");
        attach.bind_text(1, detail::file_uri(structure_path, "mode=ro"));
        attach.run();
        attached.on = true;
    }
    {
        detail::TransactionGuard changing(a, true);
        for (const std::string& t : structure_rows) {
            a.exec("DELETE FROM main." + quote_identifier(t));
            a.exec("INSERT INTO main." + quote_identifier(t) + " SELECT * FROM pz_estrutura." +
                   quote_identifier(t));
        }
        // Tables first (their indexes and triggers go with them), then what
        // is left of views, triggers and indexes.
        for (const char* kind : {"table", "view", "trigger", "index"}) {
            for (const SchemaEntry& e : extra) {
                if (std::get<0>(e) != kind || std::get<1>(e).rfind("sqlite_", 0) == 0) continue;
                a.exec(std::string("DROP ") + kind + " IF EXISTS main." +
                       quote_identifier(std::get<1>(e)));
            }
        }
        changing.commit();
    }
    return a.value("PRAGMA main.freelist_count").to_integer().value_or(-1);
}

namespace {

// One search of ScanRows: a table's rows, or a row of it that breaks a
// rule (a value of the wrong type, a child without its parent).
struct Search {
    std::size_t table = 0;
    std::string sql;
    bool counts = false;  // the table's count; else a row found is a rule broken
};

std::vector<Search> searches(detail::DbState& state, std::vector<TableRows>& tables, bool& broken) {
    std::vector<Search> out;
    for (const detail::StoredTable& stored : detail::stored_tables(state)) {
        const auto table = detail::read_rule_table(state, "main", stored.name);
        if (!table) continue;
        const std::size_t index = tables.size();
        tables.push_back({table->name, 0});
        // Counted apart: SQLite counts a table by its pages without reading
        // its rows, and the search for a wrong type stops at the first.
        out.push_back({index, "SELECT count(*) FROM " + table->qualified(), true});
        if (const std::string types = detail::type_condition(*table); !types.empty()) {
            out.push_back(
                {index, "SELECT 1 FROM " + table->qualified() + " AS c WHERE " + types + " LIMIT 1",
                 false});
        }
        for (const detail::ForeignKey& k : table->keys) {
            // A key to a table that is not there has no parent row to find.
            if (!detail::read_rule_table(state, "main", k.parent))
                broken = true;
            else
                out.push_back({index, detail::key_check(*table, k).any_orphan, false});
        }
    }
    return out;
}

}  // namespace

RuleScan ScanRows(const std::string& path, const std::string& connect,
                  const std::function<void()>& beside,
                  const std::function<void(const std::string&)>& counted) {
    RuleScan scan;
    Database first = OpenDatabase(path, false, true, connect);
    const std::vector<Search> all = searches(*first.state(), scan.tables, scan.rule_broken);

    std::atomic<bool> broken{false};
    std::vector<std::int64_t> rows(scan.tables.size(), 0);
    std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[scan.tables.size()]);
    for (std::size_t t = 0; t < scan.tables.size(); ++t) done[t] = false;
    // The tables counted so far, told in order on the calling thread.
    std::size_t told = 0;
    const auto tell = [&](bool all_done) {
        for (; told < scan.tables.size() && (all_done || done[told]); ++told) {
            if (counted) counted(scan.tables[told].name);
        }
    };
    detail::ShareOnTwoConnections(
        first, path, connect, all.size(),
        [&](Database&) {
            if (beside) beside();
        },
        [&](Database& db, std::size_t i, bool calling_thread) {
            const Search& search = all[i];
            detail::Statement s = db.state()->prepare(search.sql);
            const bool found = s.step();
            if (search.counts) {
                rows[search.table] = s.column_int64(0);
                done[search.table] = true;
            } else if (found) {
                broken = true;
            }
            if (calling_thread) tell(false);
        },
        [&] { return broken.load(); });
    for (std::size_t t = 0; t < rows.size(); ++t) scan.tables[t].rows = rows[t];
    scan.rule_broken = scan.rule_broken || broken;
    tell(true);
    return scan;
}

}  // namespace pezolva::engine
