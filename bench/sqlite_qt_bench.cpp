// The same SQLite work, timed in a process without Qt and in one that has
// made a QGuiApplication, as every window of ours does: PRAGMA quick_check
// of one database file, read-only, stepped by SQLite's API directly and by
// the engine's statement.  Each run is a child process of its own (the Qt
// ones offscreen); the runs alternate.
//
// Usage: bench_sqlite_qt DATABASE [--runs K]
// The start-up of a QGuiApplication leaves the upper halves of the AVX
// registers in use; until something clears them, SQLite's SSE code pays
// for the mixed state (the check took 1.8 times as long at 1 GB).  The
// engine clears them before each step, so its figure should match the one
// without Qt.
#include <sqlite3.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/detail/sqlite.h"
#include "medicao.h"

namespace {

enum class Mode { Bare, Qt, QtEngine };

// The child: one check, its seconds on standard output.
int check_once(const char* database, Mode mode, int argc, char** argv) {
    std::unique_ptr<QGuiApplication> app;
    if (mode != Mode::Bare) app = std::make_unique<QGuiApplication>(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(database, &raw, SQLITE_OPEN_READONLY, nullptr);
    pezolva::engine::detail::ConnectionPtr db(raw);
    if (opened != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", database, sqlite3_errmsg(raw));
        return 1;
    }
    if (mode == Mode::QtEngine) {
        pezolva::engine::detail::Statement check(db.get(), "PRAGMA quick_check", database);
        check.run();
    } else if (sqlite3_exec(db.get(), "PRAGMA quick_check", nullptr, nullptr, nullptr) !=
               SQLITE_OK) {
        return 1;
    }
    std::printf("%.4f\n", bench::seconds_since(start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* const modes[] = {"--filho", "--filho-qt", "--filho-qt-motor"};
    for (int m = 0; m < 3; ++m) {
        if (argc >= 3 && std::strcmp(argv[1], modes[m]) == 0) {
            return check_once(argv[2], static_cast<Mode>(m), argc, argv);
        }
    }
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "uso: %s BASE_DE_DADOS [--runs K]\n", argv[0]);
        return 2;
    }
    const int runs =
        argc >= 4 && std::strcmp(argv[2], "--runs") == 0 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string self = bench::fs::read_symlink("/proc/self/exe").string();
    const bench::fs::path output = bench::fs::temp_directory_path() / "bench_sqlite_qt.txt";
    std::vector<double> seconds[3];
    for (int k = 0; k < runs; ++k) {
        for (int step = 0; step < 3; ++step) {
            const int m = (k + step) % 3;
            const bench::Child c =
                bench::run({self, modes[m], argv[1]}, {"QT_QPA_PLATFORM=offscreen"}, output);
            if (!bench::succeeded(c)) {
                std::fprintf(stderr, "a verificação falhou:\n%s", c.output.c_str());
                return 1;
            }
            const std::size_t last = c.output.rfind('\n', c.output.size() - 2);
            seconds[m].push_back(
                std::atof(c.output.c_str() + (last == std::string::npos ? 0 : last + 1)));
        }
    }
    bench::fs::remove(output);
    const double bare = bench::median(seconds[0]);
    std::printf("PRAGMA quick_check de %s, mediana de %d (carga %s):\n", argv[1], runs,
                bench::load_average().c_str());
    std::printf("  sem Qt                                 %7.3f s\n", bare);
    std::printf("  depois de QGuiApplication              %7.3f s  (%.2f x)\n",
                bench::median(seconds[1]), bench::median(seconds[1]) / bare);
    std::printf("  depois de QGuiApplication, pelo motor  %7.3f s  (%.2f x)\n",
                bench::median(seconds[2]), bench::median(seconds[2]) / bare);
    return 0;
}
