#pragma once
// The performance targets in one table: the backup's rows come from the
// sizes just measured; compaction, verification and discovery are
// measured here (the last two by their own benchmarks, run as children).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// The medians of one size of the backup benchmark.
struct Result {
    double megabytes = 0;
    double copy = 0, copy_sync = 0, vacuum = 0, backup = 0;
    double longest_wait = 0;
    double peak_mib = 0;
    std::string load_before, load_after;
    // Where it was measured, and how the launcher reached its project.
    std::filesystem::path live;
    std::string project;
    std::vector<std::string> env;
};

// The busy time-out of the engine's connections: a writer kept waiting
// longer gets "bloqueada".
constexpr double kBusyTimeout = 5.0;

// Measures the other rows (restore and compaction on the project of
// `reference`, `runs` times; verification; discovery, in
// FOLDER/verificacao and FOLDER/descoberta) and prints the whole table.
// `with_busy_core` is the reference size measured again with the other
// core taken, when the run was not all so (`busy`).
void print_targets(const std::vector<Result>& sizes, const Result& reference,
                   const std::optional<Result>& with_busy_core, const std::filesystem::path& folder,
                   int runs, bool busy);

}  // namespace bench
