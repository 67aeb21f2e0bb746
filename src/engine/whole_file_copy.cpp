#include "engine/whole_file_copy.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>

#include "engine/detail/connection_text.h"
#include "engine/detail/db_state.h"
#include "engine/detail/external_insert_rules.h"
#include "engine/detail/schema_reader.h"
#include "engine/detail/two_connections.h"
#include "engine/quoting.h"
#include "engine/whole_file_check.h"

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

// What the source defines beyond the structure, or nullopt when the two
// differ otherwise: another header, or a definition of the structure that
// the source lacks or defines differently.
std::optional<std::vector<SchemaEntry>> extra_definitions(detail::DbState& source,
                                                          detail::DbState& structure) {
    if (header_settings(source) != header_settings(structure)) return std::nullopt;
    const std::vector<SchemaEntry> mine = schema_entries(source),
                                   wanted = schema_entries(structure);
    if (!std::includes(mine.begin(), mine.end(), wanted.begin(), wanted.end())) return std::nullopt;
    std::vector<SchemaEntry> extra;
    std::set_difference(mine.begin(), mine.end(), wanted.begin(), wanted.end(),
                        std::back_inserter(extra));
    return extra;
}

// An extra entry of SQLite's own goes only with its extra table (the
// index of a UNIQUE constraint); sqlite_sequence or sqlite_stat1 of the
// source's own would tell of rows the structure knows nothing of.
bool extras_can_go(const std::vector<SchemaEntry>& extra) {
    const auto is_extra_table = [&extra](const std::string& name) {
        return std::any_of(extra.begin(), extra.end(), [&](const SchemaEntry& e) {
            return std::get<0>(e) == "table" && std::get<1>(e) == name;
        });
    };
    return std::none_of(extra.begin(), extra.end(), [&](const SchemaEntry& e) {
        return std::get<1>(e).rfind("sqlite_", 0) == 0 &&
               (std::get<0>(e) != "index" || !is_extra_table(std::get<2>(e)));
    });
}

// The structure database attached read-only to `state` for as long as the
// object lives; attached outside any transaction, as SQLite requires.
class AttachedStructure {
  public:
    AttachedStructure(detail::DbState& state, const std::string& path) : state_(state) {
        detail::Statement attach = state_.prepare("ATTACH ?1 AS pz_estrutura");
        attach.bind_text(1, detail::file_uri(path, "mode=ro"));
        attach.run();
    }
    ~AttachedStructure() {
        sqlite3_exec(state_.db(), "DETACH pz_estrutura", nullptr, nullptr, nullptr);
    }
    AttachedStructure(const AttachedStructure&) = delete;
    AttachedStructure& operator=(const AttachedStructure&) = delete;

  private:
    detail::DbState& state_;
};

// In one transaction: the rows of `structure_rows` taken from the attached
// structure, then the extra definitions dropped, tables first (their
// indexes and triggers go with them), then what is left of views,
// triggers and indexes.
void keep_structure(detail::DbState& a, const std::vector<SchemaEntry>& extra,
                    const std::vector<std::string>& structure_rows) {
    detail::TransactionGuard changing(a, true);
    for (const std::string& t : structure_rows) {
        a.exec("DELETE FROM main." + quote_identifier(t));
        a.exec("INSERT INTO main." + quote_identifier(t) + " SELECT * FROM pz_estrutura." +
               quote_identifier(t));
    }
    for (const char* kind : {"table", "view", "trigger", "index"}) {
        for (const SchemaEntry& e : extra) {
            if (std::get<0>(e) != kind || std::get<1>(e).rfind("sqlite_", 0) == 0) continue;
            a.exec(std::string("DROP ") + kind + " IF EXISTS main." +
                   quote_identifier(std::get<1>(e)));
        }
    }
    changing.commit();
}

}  // namespace

std::optional<std::int64_t> KeepStructureDefinitions(
    Database& source, Database& structure, const std::vector<std::string>& structure_rows) {
    detail::DbState& a = *source.state();
    std::optional<std::vector<SchemaEntry>> extra;
    try {
        extra = extra_definitions(a, *structure.state());
    } catch (const EngineError&) {
        return std::nullopt;
    }
    if (!extra || !extras_can_go(*extra)) return std::nullopt;
    if (!extra->empty() || !structure_rows.empty()) {
        a.exec("PRAGMA foreign_keys=OFF");
        a.exec("PRAGMA main.journal_mode=MEMORY");
        // A sync here would wait for the whole snapshot to reach the disk;
        // the caller syncs the file once, beside its check.
        a.exec("PRAGMA main.synchronous=OFF");
    }
    std::optional<AttachedStructure> attached;
    if (!structure_rows.empty()) attached.emplace(a, structure.state()->path());
    keep_structure(a, *extra, structure_rows);
    return a.value("PRAGMA main.freelist_count").to_integer().value_or(-1);
}

namespace {

// One search of the rows: a table's count, or a row of it that breaks a
// rule (a value of the wrong type, a child without its parent).
struct Search {
    std::size_t table = 0;
    std::string sql;
    bool counts = false;  // the table's count; else a row found is a rule broken
    std::int64_t weight = 0;
};

// The lines of SQLite's plan for `sql`.
std::vector<std::string> plan_of(detail::DbState& state, const std::string& sql) {
    detail::Statement plan = state.prepare("EXPLAIN QUERY PLAN " + sql);
    std::vector<std::string> lines;
    while (plan.step()) lines.push_back(plan.column_text(3));
    return lines;
}

// Whether SQLite runs `sql` without sorting anything first.
bool sorts_nothing(detail::DbState& state, const std::string& sql) {
    const std::vector<std::string> plan = plan_of(state, sql);
    return std::none_of(plan.begin(), plan.end(), [](const std::string& line) {
        return line.find("TEMP B-TREE") != std::string::npos;
    });
}

// Whether SQLite answers `sql` by searching an index, without a scan.
bool only_searches(detail::DbState& state, const std::string& sql) {
    const std::vector<std::string> plan = plan_of(state, sql);
    return !plan.empty() && std::all_of(plan.begin(), plan.end(), [](const std::string& line) {
        return line.rfind("SEARCH", 0) == 0;
    });
}

// The searches of one table's rows.  What an index answers (a number
// column it leads; a key whose values and parent's an index gives in order)
// is a search of its own; the rest are conditions on each row, "OR"ed in
// one reading of the table: the wrong types, and the keys whose parent is
// small enough to be listed once.  A large parent's keys are looked up per
// distinct value instead.
void searches_of(detail::DbState& state, const detail::RuleTable& table, std::size_t index,
                 std::int64_t rows, std::vector<Search>& out, bool& broken) {
    const std::string from = " FROM " + table.qualified() + " AS c WHERE ";
    std::vector<std::string> each_row;
    for (const detail::RuleColumn& c : table.columns) {
        if (!c.number) continue;
        const std::string seek = "SELECT 1" + from + detail::wrong_type(c, true) + " LIMIT 1";
        if (only_searches(state, seek))
            out.push_back({index, seek, false, 1});
        else
            each_row.push_back(detail::wrong_type(c, false));
    }
    std::size_t listed_keys = 0;
    for (const detail::ForeignKey& k : table.keys) {
        // A key to a table that is not there has no parent row to find.
        if (!detail::read_rule_table(state, "main", k.parent)) {
            broken = true;
            continue;
        }
        const detail::KeyCheck check = detail::key_check(table, k);
        if (sorts_nothing(state, check.any_orphan_merged)) {
            out.push_back({index, check.any_orphan_merged, false, rows * 2});
        } else if (EstimatedRows(state, k.parent) <= rows / 16) {
            each_row.push_back("(" + check.orphan_listed + ")");
            ++listed_keys;
        } else {
            out.push_back({index, check.any_orphan, false, rows * 2});
        }
    }
    if (each_row.empty()) return;
    std::string any;
    for (const std::string& condition : each_row) any += (any.empty() ? "" : " OR ") + condition;
    out.push_back({index, "SELECT 1" + from + any + " LIMIT 1", false,
                   rows + rows * static_cast<std::int64_t>(listed_keys) / 2});
}

std::vector<Search> searches(detail::DbState& state, std::vector<TableRows>& tables, bool& broken) {
    std::vector<Search> out;
    for (const detail::StoredTable& stored : detail::stored_tables(state)) {
        const auto table = detail::read_rule_table(state, "main", stored.name);
        if (!table) continue;
        const std::size_t index = tables.size();
        tables.push_back({table->name, 0});
        const std::int64_t rows = std::max<std::int64_t>(EstimatedRows(state, table->name), 1);
        // Counted apart: SQLite counts a table by its pages without reading
        // its rows, and the search for a broken rule stops at the first.
        out.push_back({index, "SELECT count(*) FROM " + table->qualified(), true, rows / 4});
        searches_of(state, *table, index, rows, out, broken);
    }
    return out;
}

// One piece of the shared work: a search, or a piece of the quick_check.
struct Job {
    bool search = true;
    std::size_t index = 0;             // into the searches or the check's pieces
    std::optional<std::size_t> table;  // the table it belongs to, when one of the scan's
    std::int64_t weight = 0;
};

std::vector<Job> jobs_largest_first(const std::vector<Search>& all, const QuickCheckPieces& pieces,
                                    const std::vector<TableRows>& tables) {
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < all.size(); ++i)
        jobs.push_back({true, i, all[i].table, all[i].weight});
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Job job{false, i, std::nullopt, pieces.weight(i)};
        for (std::size_t t = 0; t < tables.size(); ++t) {
            if (tables[t].name == pieces.table(i)) job.table = t;
        }
        // Its own indexes as well as its rows: twice a search.
        if (job.table) job.weight *= 2;
        jobs.push_back(job);
    }
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const Job& a, const Job& b) { return a.weight > b.weight; });
    return jobs;
}

// The tables whose every piece is done, gathered from both threads and told
// on the calling one.
class Finished {
  public:
    Finished(const std::vector<Job>& jobs, std::size_t tables) : pending_(tables) {
        for (const Job& j : jobs) {
            if (j.table) ++pending_[*j.table];
        }
    }
    void done(const Job& job) {
        if (!job.table) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (--pending_[*job.table] == 0) ready_.push_back(*job.table);
    }
    std::vector<std::size_t> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(ready_, {});
    }

  private:
    std::mutex mutex_;
    std::vector<int> pending_;
    std::vector<std::size_t> ready_;
};

}  // namespace

CheckedScan CheckAndScanRows(const std::string& path, const std::string& connect,
                             const std::function<void(const std::string&)>& checked) {
    CheckedScan result;
    RuleScan& scan = result.rows;
    Database first = OpenDatabase(path, false, true, connect);
    const std::vector<Search> all = searches(*first.state(), scan.tables, scan.rule_broken);
    const QuickCheckPieces pieces(first);
    const std::vector<Job> jobs = jobs_largest_first(all, pieces, scan.tables);

    std::atomic<bool> broken{false}, stop{scan.rule_broken};
    std::vector<std::int64_t> rows(scan.tables.size(), 0);
    std::vector<std::optional<std::string>> damage(jobs.size());
    Finished finished(jobs, scan.tables.size());
    const auto tell = [&] {
        for (const std::size_t t : finished.take()) {
            if (checked) checked(scan.tables[t].name);
        }
    };
    detail::ShareOnTwoConnections(
        first, path, connect, jobs.size(), {},
        [&](Database& db, std::size_t i, bool calling_thread) {
            const Job& job = jobs[i];
            if (job.search) {
                try {
                    const Search& search = all[job.index];
                    detail::Statement s = db.state()->prepare(search.sql);
                    const bool found = s.step();
                    if (search.counts) {
                        rows[search.table] = s.column_int64(0);
                    } else if (found) {
                        broken = true;
                    }
                } catch (const EngineError& e) {
                    // A tree too damaged to read is what the check would find.
                    if (e.numero() != ErroDanificada) throw;
                    damage[i] = e.descricao();
                }
            } else {
                damage[i] = pieces.Run(db, job.index);
            }
            if (broken || damage[i]) stop = true;
            finished.done(job);
            if (calling_thread) tell();
        },
        [&] { return stop.load(); });
    for (std::size_t t = 0; t < rows.size(); ++t) scan.tables[t].rows = rows[t];
    scan.rule_broken = scan.rule_broken || broken;
    result.damage = JoinFindings(damage);
    tell();
    return result;
}

}  // namespace pezolva::engine
