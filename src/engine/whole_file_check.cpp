#include "engine/whole_file_check.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/database.h"
#include "engine/detail/db_state.h"
#include "engine/detail/two_connections.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

// A table to check, with an estimate of its size.
struct Part {
    std::string table;
    std::int64_t rows = 0;
    bool known = true;  // false: a table without rowids, of unknown size
};

std::int64_t pragma_number(detail::DbState& state, const char* name) {
    return state.value(std::string("PRAGMA main.") + name).to_integer().value_or(-1);
}

// A tree too damaged to walk stops the statement that reads it: that, too,
// is a finding.
template <typename Check>
std::optional<std::string> damage_as_finding(Check&& check) {
    try {
        return check();
    } catch (const EngineError& e) {
        if (e.numero() != ErroDanificada) throw;
        return e.descricao();
    }
}

// The rows of a quick_check joined; nullopt for "ok".
std::optional<std::string> findings(detail::DbState& state, const std::string& sql) {
    return damage_as_finding([&]() -> std::optional<std::string> {
        detail::Statement s = state.prepare(sql);
        std::string found;
        while (s.step()) {
            const std::string line = s.column_text(0);
            if (line != "ok") found += (found.empty() ? "" : "\n") + line;
        }
        if (found.empty()) return std::nullopt;
        return found;
    });
}

bool has_dbstat(detail::DbState& state) {
    try {
        state.prepare("SELECT 1 FROM dbstat LIMIT 0");
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

// The tables, the larger (by rows) first, so that the two connections end
// together.  The highest rowid is read from the tree's last leaf, without
// walking it; a table without rowids counts as the largest.
std::vector<Part> tables_largest_first(detail::DbState& state) {
    std::vector<Part> parts = {{"sqlite_schema", 1, true}};
    detail::Statement s =
        state.prepare("SELECT name FROM main.sqlite_schema WHERE type = 'table' AND rootpage > 0");
    while (s.step()) parts.push_back({s.column_text(0), 0, true});
    for (Part& p : parts) {
        if (p.table == "sqlite_schema") continue;
        try {
            p.rows = state.value("SELECT max(rowid) FROM main." + quote_identifier(p.table))
                         .to_integer()
                         .value_or(0);
        } catch (const EngineError&) {
            p.rows = std::numeric_limits<std::int64_t>::max();
            p.known = false;
        }
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part& a, const Part& b) { return a.rows > b.rows; });
    return parts;
}

// Every page in exactly one b-tree, none left out: the file holds no free
// list (the caller saw to that), and SQLite never uses the page that holds
// the byte-range locks.
std::optional<std::string> unaccounted_pages(detail::DbState& state, std::int64_t page_count) {
    detail::Statement s = state.prepare("SELECT count(*), count(DISTINCT pageno) FROM dbstat");
    s.step();
    const std::int64_t used = s.column_int64(0), distinct = s.column_int64(1);
    const std::int64_t lock_page = 1073741824 / pragma_number(state, "page_size") + 1;
    const std::int64_t expected = page_count - (page_count >= lock_page ? 1 : 0);
    if (used == expected && distinct == used) return std::nullopt;
    return "O ficheiro tem " + std::to_string(expected) + " páginas em uso, e as árvores ocupam " +
           std::to_string(distinct) + " (" + std::to_string(used - distinct) + " mais de uma vez).";
}

}  // namespace

std::optional<std::string> QuickCheckOnTwoConnections(const std::string& path,
                                                      const std::string& connect) {
    Database first = OpenDatabase(path, false, true, connect);
    detail::DbState& state = *first.state();
    const std::int64_t page_count = pragma_number(state, "page_count");
    if (pragma_number(state, "freelist_count") != 0 || pragma_number(state, "auto_vacuum") != 0 ||
        !has_dbstat(state)) {
        return findings(state, "PRAGMA main.quick_check");
    }
    const std::vector<Part> parts = tables_largest_first(state);
    // One table with all the rows cannot be shared out: the page accounting
    // would only add a second reading of it.
    if (parts.size() < 2 || (parts[0].known && parts[1].rows < parts[0].rows / 100)) {
        return findings(state, "PRAGMA main.quick_check");
    }

    std::vector<std::optional<std::string>> found(parts.size() + 1);
    detail::ShareOnTwoConnections(
        first, path, connect, parts.size(),
        [&](Database& other) {
            found.back() =
                damage_as_finding([&] { return unaccounted_pages(*other.state(), page_count); });
        },
        [&](Database& on, std::size_t i, bool) {
            found[i] = findings(*on.state(),
                                "PRAGMA main.quick_check(" + quote_literal(parts[i].table) + ")");
        });
    std::string all;
    for (const auto& f : found) {
        if (f) all += (all.empty() ? "" : "\n") + *f;
    }
    if (all.empty()) return std::nullopt;
    return all;
}

}  // namespace pezolva::engine
