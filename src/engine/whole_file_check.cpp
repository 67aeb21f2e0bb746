#include "engine/whole_file_check.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/detail/db_state.h"
#include "engine/detail/page_walk.h"
#include "engine/detail/two_connections.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

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
        std::vector<std::optional<std::string>> found;
        while (s.step()) {
            if (std::string line = s.column_text(0); line != "ok")
                found.emplace_back(std::move(line));
        }
        return JoinFindings(found);
    });
}

struct TableSize {
    std::string name;
    std::int64_t rows = 0;
};

constexpr std::int64_t kUnknownRows = std::numeric_limits<std::int64_t>::max() / 8;

// The tables, the larger first; the schema counts as one row.
std::vector<TableSize> tables_largest_first(detail::DbState& state) {
    std::vector<TableSize> tables = {{"sqlite_schema", 1}};
    detail::Statement s =
        state.prepare("SELECT name FROM main.sqlite_schema WHERE type = 'table' AND rootpage > 0");
    while (s.step()) tables.push_back({s.column_text(0), 0});
    for (TableSize& t : tables) {
        if (t.name != "sqlite_schema") t.rows = EstimatedRows(state, t.name);
    }
    std::stable_sort(tables.begin(), tables.end(),
                     [](const TableSize& a, const TableSize& b) { return a.rows > b.rows; });
    return tables;
}

// Every page in exactly one b-tree or on the free list, none left out; the
// page that holds the byte-range locks is never used by SQLite.  The pages
// are read in one read transaction, through the connection's own file.
std::optional<std::string> unaccounted_pages(detail::DbState& state, std::int64_t page_count) {
    const std::int64_t page_size = pragma_number(state, "page_size");
    detail::PageTally tally(page_count);
    detail::TransactionGuard reading(state, false);
    std::vector<std::int64_t> roots = {1};
    detail::Statement s =
        state.prepare("SELECT rootpage FROM main.sqlite_schema WHERE rootpage <> 0");
    while (s.step()) roots.push_back(s.column_int64(0));
    detail::PageReader reader(state.db(), state.path(), page_size);
    detail::CountTreePages(reader, roots, tally);
    if (tally.problem().empty()) detail::CountFreeList(reader, tally);
    reading.rollback();
    if (!tally.problem().empty()) return tally.problem();
    const std::int64_t lock_page = 1073741824 / page_size + 1;
    const bool has_lock_page = page_count >= lock_page;
    const std::int64_t expected = page_count - (has_lock_page ? 1 : 0);
    const bool lock_page_used = has_lock_page && tally.is_used(lock_page);
    if (tally.distinct() == expected && tally.twice() == 0 && !lock_page_used) return std::nullopt;
    std::string found = "O ficheiro tem " + std::to_string(expected) +
                        " páginas em uso, e as árvores e a lista de páginas livres ocupam " +
                        std::to_string(tally.distinct()) + " (" + std::to_string(tally.twice()) +
                        " mais de uma vez).";
    if (tally.twice() != 0) {
        found += " A página " + std::to_string(tally.first_twice()) + " é usada mais de uma vez.";
    } else if (lock_page_used) {
        found += " A página " + std::to_string(lock_page) +
                 ", a dos bloqueios do ficheiro, está em uso.";
    } else if (const std::int64_t unused = tally.first_unused(has_lock_page ? lock_page : 0)) {
        found += " A página " + std::to_string(unused) +
                 " não pertence a nenhuma árvore nem à lista de páginas livres.";
    }
    return found;
}

}  // namespace

std::int64_t EstimatedRows(detail::DbState& state, const std::string& table) {
    try {
        return state.value("SELECT max(rowid) FROM main." + quote_identifier(table))
            .to_integer()
            .value_or(0);
    } catch (const EngineError&) {
        return kUnknownRows;
    }
}

QuickCheckPieces::QuickCheckPieces(Database& database) {
    detail::DbState& state = *database.state();
    page_count_ = pragma_number(state, "page_count");
    const std::vector<TableSize> tables = pragma_number(state, "auto_vacuum") != 0
                                              ? std::vector<TableSize>{}
                                              : tables_largest_first(state);
    // One table with all the rows cannot be shared out: the page accounting
    // would only add a second reading of it.
    if (tables.size() < 2 ||
        (tables[0].rows != kUnknownRows && tables[1].rows < tables[0].rows / 100)) {
        pieces_.push_back({Kind::WholeFile, "", std::numeric_limits<std::int64_t>::max() / 2});
        return;
    }
    std::int64_t total = 0;
    for (const TableSize& t : tables) total += t.rows != kUnknownRows ? t.rows : 0;
    // The page walk reads every page once, in large blocks, and decodes
    // only the cells' sizes: a cheap pass over the whole file.
    pieces_.push_back({Kind::Pages, "", total / 4});
    for (const TableSize& t : tables) pieces_.push_back({Kind::Table, t.name, t.rows});
}

std::optional<std::string> QuickCheckPieces::Run(Database& on, std::size_t i) const {
    detail::DbState& state = *on.state();
    const Piece& piece = pieces_[i];
    switch (piece.kind) {
        case Kind::WholeFile:
            return findings(state, "PRAGMA main.quick_check");
        case Kind::Pages:
            return damage_as_finding([&] { return unaccounted_pages(state, page_count_); });
        case Kind::Table:
            break;
    }
    return findings(state, "PRAGMA main.quick_check(" + quote_literal(piece.table) + ")");
}

std::optional<std::string> JoinFindings(const std::vector<std::optional<std::string>>& found) {
    std::string all;
    for (const auto& f : found) {
        if (f) all += (all.empty() ? "" : "\n") + *f;
    }
    if (all.empty()) return std::nullopt;
    return all;
}

std::optional<std::string> QuickCheckOnTwoConnections(const std::string& path,
                                                      const std::string& connect) {
    Database first = OpenDatabase(path, false, true, connect);
    const QuickCheckPieces pieces(first);
    if (pieces.size() == 1) return pieces.Run(first, 0);
    std::vector<std::optional<std::string>> found(pieces.size());
    detail::ShareOnTwoConnections(
        first, path, connect, pieces.size(), {},
        [&](Database& on, std::size_t i, bool) { found[i] = pieces.Run(on, i); });
    return JoinFindings(found);
}

}  // namespace pezolva::engine
