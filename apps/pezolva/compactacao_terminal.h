#pragma once

#include <optional>
#include <string>

namespace pezolva::cli {

// Compacts the current project's databases (all, or the one named) with a
// line per database on the terminal; returns the exit status: 0 when every
// compaction succeeded.
int corre_compactacao(const std::optional<std::string>& nome_bd);

}  // namespace pezolva::cli
