#include "engine/whole_file_check.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/detail/db_state.h"
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

bool has_dbstat(detail::DbState& state) {
    try {
        state.prepare("SELECT 1 FROM dbstat LIMIT 0");
        return true;
    } catch (const EngineError&) {
        return false;
    }
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

std::uint32_t big_endian(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Every page counted once in `used`; a page out of range or counted twice
// is said in `problem`.
class PageTally {
  public:
    explicit PageTally(std::int64_t page_count)
        : used_(static_cast<std::size_t>(page_count) + 1, false) {}

    void count(std::int64_t page, const char* where) {
        if (page < 1 || page >= static_cast<std::int64_t>(used_.size())) {
            note("A página " + std::to_string(page) + " " + where + " está fora do ficheiro.");
        } else if (used_[static_cast<std::size_t>(page)]) {
            ++twice_;
        } else {
            used_[static_cast<std::size_t>(page)] = true;
            ++distinct_;
        }
    }
    void note(const std::string& problem) {
        if (problem_.empty()) problem_ = problem;
    }
    std::int64_t distinct() const { return distinct_; }
    std::int64_t twice() const { return twice_; }
    bool is_used(std::int64_t page) const {
        return page >= 1 && page < static_cast<std::int64_t>(used_.size()) &&
               used_[static_cast<std::size_t>(page)];
    }
    const std::string& problem() const { return problem_; }

  private:
    std::vector<bool> used_;
    std::int64_t distinct_ = 0, twice_ = 0;
    std::string problem_;
};

// The free list, read through the connection's own file (a descriptor of
// ours, once closed, would drop the connection's locks): trunk pages
// chained from the header, each listing leaf pages.
void count_free_list(detail::DbState& state, std::int64_t page_size, PageTally& tally) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(state.db(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        throw EngineError(
            ErroMotor, "Não foi possível ler o ficheiro da base de dados '" + state.path() + "'.");
    }
    const auto read = [&](std::int64_t offset, std::vector<unsigned char>& into) {
        if (file->pMethods->xRead(file, into.data(), static_cast<int>(into.size()), offset) !=
            SQLITE_OK) {
            throw EngineError(ErroDisco,
                              "Erro de disco ao aceder à base de dados '" + state.path() + "'.");
        }
    };
    std::vector<unsigned char> header(8), trunk(static_cast<std::size_t>(page_size));
    read(32, header);
    const std::int64_t declared = big_endian(&header[4]);
    std::int64_t listed = 0;
    for (std::int64_t page = big_endian(&header[0]); page != 0 && tally.problem().empty();) {
        if (tally.is_used(page) || listed > declared) {
            tally.note("A lista de páginas livres do ficheiro repete páginas.");
            break;
        }
        tally.count(page, "da lista de páginas livres");
        if (!tally.problem().empty()) break;
        read((page - 1) * page_size, trunk);
        const std::int64_t leaves = big_endian(&trunk[4]);
        if (leaves > (page_size - 8) / 4) {
            tally.note("A página livre " + std::to_string(page) + " está danificada.");
            break;
        }
        for (std::int64_t i = 0; i < leaves; ++i) {
            tally.count(big_endian(&trunk[static_cast<std::size_t>(8 + 4 * i)]),
                        "da lista de páginas livres");
        }
        listed += 1 + leaves;
        page = big_endian(&trunk[0]);
    }
    if (tally.problem().empty() && listed != declared) {
        tally.note("A lista de páginas livres tem " + std::to_string(listed) +
                   " páginas e o ficheiro diz " + std::to_string(declared) + ".");
    }
}

// Every page in exactly one b-tree or on the free list, none left out; the
// page that holds the byte-range locks is never used by SQLite.
std::optional<std::string> unaccounted_pages(detail::DbState& state, std::int64_t page_count) {
    const std::int64_t page_size = pragma_number(state, "page_size");
    PageTally tally(page_count);
    detail::TransactionGuard reading(state, false);
    detail::Statement s = state.prepare("SELECT pageno FROM dbstat");
    while (s.step()) tally.count(s.column_int64(0), "de uma árvore");
    count_free_list(state, page_size, tally);
    reading.rollback();
    if (!tally.problem().empty()) return tally.problem();
    const std::int64_t lock_page = 1073741824 / page_size + 1;
    const bool has_lock_page = page_count >= lock_page;
    const std::int64_t expected = page_count - (has_lock_page ? 1 : 0);
    if (tally.distinct() == expected && tally.twice() == 0 &&
        !(has_lock_page && tally.is_used(lock_page))) {
        return std::nullopt;
    }
    return "O ficheiro tem " + std::to_string(expected) +
           " páginas em uso, e as árvores e a lista de "
           "páginas livres ocupam " +
           std::to_string(tally.distinct()) + " (" + std::to_string(tally.twice()) +
           " mais de uma vez).";
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
    const std::vector<TableSize> tables =
        pragma_number(state, "auto_vacuum") != 0 || !has_dbstat(state)
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
    // dbstat reads every page's header, a cheap pass over the whole file.
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
