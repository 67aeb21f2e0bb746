// The same SQLite work, timed in a process without Qt and in one that has
// made a QGuiApplication, as every window of ours does: PRAGMA quick_check
// of one database file, read-only.  Each run is a child process of its own
// (the Qt one offscreen); the runs alternate.
//
// Usage: bench_sqlite_qt DATABASE [--runs K]
// Measured here: the same check takes about 1.7 times as long after a
// QGuiApplication, with the same calls to memcpy and realloc and the same
// speed of plain loops; the cause is not known yet.
#include <sqlite3.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "medicao.h"

namespace {

// The child: one check, its seconds on standard output.
int check_once(const char* database, bool with_qt, int argc, char** argv) {
    std::unique_ptr<QGuiApplication> app;
    if (with_qt) app = std::make_unique<QGuiApplication>(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", database, sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    const int rc = sqlite3_exec(db, "PRAGMA quick_check", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) return 1;
    std::printf("%.4f\n", bench::seconds_since(start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 &&
        (std::strcmp(argv[1], "--filho") == 0 || std::strcmp(argv[1], "--filho-qt") == 0)) {
        return check_once(argv[2], std::strcmp(argv[1], "--filho-qt") == 0, argc, argv);
    }
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "uso: %s BASE_DE_DADOS [--runs K]\n", argv[0]);
        return 2;
    }
    const int runs =
        argc >= 4 && std::strcmp(argv[2], "--runs") == 0 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string self = bench::fs::read_symlink("/proc/self/exe").string();
    const bench::fs::path output = bench::fs::temp_directory_path() / "bench_sqlite_qt.txt";
    std::vector<double> bare, with_qt;
    for (int k = 0; k < runs; ++k) {
        for (const bool qt : {k % 2 == 0, k % 2 != 0}) {
            const bench::Child c = bench::run({self, qt ? "--filho-qt" : "--filho", argv[1]},
                                              {"QT_QPA_PLATFORM=offscreen"}, output);
            if (!bench::succeeded(c)) {
                std::fprintf(stderr, "a verificação falhou:\n%s", c.output.c_str());
                return 1;
            }
            (qt ? with_qt : bare)
                .push_back(std::atof(
                    c.output.substr(c.output.rfind('\n', c.output.size() - 2) + 1).c_str()));
        }
    }
    bench::fs::remove(output);
    std::printf("PRAGMA quick_check de %s, mediana de %d (carga %s):\n", argv[1], runs,
                bench::load_average().c_str());
    std::printf("  sem Qt                     %7.3f s\n", bench::median(bare));
    std::printf("  depois de QGuiApplication  %7.3f s  (%.2f x)\n", bench::median(with_qt),
                bench::median(with_qt) / bench::median(bare));
    return 0;
}
