#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/database.h"

namespace pezolva::engine {

// PRAGMA quick_check of a whole file, cut into pieces that several
// connections can share: each table, with its indexes, checked on its own
// (quick_check(TABLE)), and the proof that every page of the file is used
// exactly once, by one b-tree or by the free list, which quick_check of the
// whole file does and that of a single table does not.  That proof walks
// the trees from their roots (page 1 and each root of the schema) and the
// free list, reading the file's pages in large blocks through the
// connection's own file: the pages counted, all distinct, must number the
// file's pages less the lock-byte page, and a page that cannot be walked
// (of no known kind, a cell outside it, an overflow chain of the wrong
// length) is a finding that names it.  A file with pointer-map pages, or
// one whose rows are nearly all in one table, is one piece: quick_check of
// the whole file.
class QuickCheckPieces {
  public:
    // Plans the pieces from `database`, any connection to the file.
    explicit QuickCheckPieces(Database& database);

    std::size_t size() const { return pieces_.size(); }
    // The table piece `i` checks; empty for the page accounting or the
    // whole file.
    const std::string& table(std::size_t i) const { return pieces_[i].table; }
    // An estimate of piece `i`'s work, comparable with a table's rows.
    std::int64_t weight(std::size_t i) const { return pieces_[i].weight; }
    // Runs piece `i` on the connection `on` (read-only, to the same file):
    // what it found wrong, or nullopt.  Damage that stops the reading is a
    // finding too; an interruption request throws ErroCancelado.
    std::optional<std::string> Run(Database& on, std::size_t i) const;

  private:
    enum class Kind { WholeFile, Pages, Table };
    struct Piece {
        Kind kind;
        std::string table;
        std::int64_t weight = 0;
    };
    std::vector<Piece> pieces_;
    std::int64_t page_count_ = 0;
};

// What PRAGMA quick_check finds wrong with the database file at `path`,
// opened read-only with `connect`; nullopt when it finds nothing.  The
// pieces above are shared by two connections on two threads, the larger
// first.  Throws EngineError when the file cannot be read, or on an
// interruption request (ErroCancelado).
std::optional<std::string> QuickCheckOnTwoConnections(const std::string& path,
                                                      const std::string& connect);

// The rows of `table` as its highest rowid tells them, read from its
// tree's last leaf without walking it; a very large number for a table
// without rowids, whose size is not known so cheaply.
std::int64_t EstimatedRows(detail::DbState& state, const std::string& table);

// Joins findings, one per line; nullopt when there are none.
std::optional<std::string> JoinFindings(const std::vector<std::optional<std::string>>& findings);

}  // namespace pezolva::engine
