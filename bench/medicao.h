#pragma once
// What the benchmarks share: timing, child processes, the yardstick.
#include <filesystem>
#include <string>
#include <vector>

#include "tempo.h"

namespace bench {

namespace fs = std::filesystem;

// The load averages of 1, 5 and 15 minutes, as text.
std::string load_average();
void fsync_file(const fs::path& file);

// A child's end: exit status, wall time, peak memory and what it wrote.
struct Child {
    int status = -1;
    double seconds = 0;
    long max_rss_kib = 0;
    std::string output;
};

// Runs `args` with the environment plus `extra` (NAME=value), standard
// input from /dev/null and both outputs into `output_file`.  The password
// travels in the environment, never on the command line.
Child run(const std::vector<std::string>& args, const std::vector<std::string>& extra,
          const fs::path& output_file);
bool succeeded(const Child& c);

// SQLite's VACUUM INTO of `database`, synced as SQLite syncs it.
void vacuum_into(const fs::path& database, const fs::path& destination);

// PRAGMA quick_check of `database`, read-only, on one connection; throws
// unless it says "ok".
void quick_check(const fs::path& database);

void remove_all_in(const fs::path& folder);

// The launcher measured: PEZOLVA_BENCH_LAUNCHER, or the one built beside
// the benchmarks.
const char* launcher();

}  // namespace bench
