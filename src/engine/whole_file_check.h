#pragma once

#include <optional>
#include <string>

namespace pezolva::engine {

// What PRAGMA quick_check finds wrong with the database file at `path`,
// opened read-only with `connect`; nullopt when it finds nothing.
//
// The work is shared by two connections on two threads: each table, with
// its indexes, is checked on its own (quick_check(TABLE)), the larger
// first, by whichever connection is free; and one of them also proves that
// every page of the file is used exactly once (the count of the b-trees'
// pages from dbstat, all distinct, equals the file's page count less the
// lock-byte page), which quick_check of the whole file does and that of a
// single table does not.  A file with free pages or pointer-map pages, one
// whose rows are nearly all in one table, or an SQLite without dbstat, is
// checked by one quick_check of the whole file instead.  Throws EngineError
// when the file cannot be read, or on an interruption request
// (ErroCancelado).
std::optional<std::string> QuickCheckOnTwoConnections(const std::string& path,
                                                      const std::string& connect);

}  // namespace pezolva::engine
