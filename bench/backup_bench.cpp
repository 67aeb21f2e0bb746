// The backup of one database against the yardsticks of the same file: a
// plain file copy and SQLite's VACUUM INTO.  Builds (or reuses) a test
// project of about 1 GB in FOLDER, registers it in a settings folder of its
// own, then times, K times each and in turn, on the same main database:
//  - a file copy into the same folder (std::filesystem::copy_file), and
//    the same copy followed by fsync;
//  - VACUUM INTO through the SQLite API (synced, as SQLite syncs it);
//  - "pezolva backup --project NAME brasol.mdb" as a child process (the
//    whole run: start-up, structure copy, fill, compaction when needed,
//    check, naming), with its peak memory from wait4.
// The backup then runs once more while another user commits a change to
// the live database every 10 ms: the longest a commit waits is what the
// backup costs the other users (that run is timed apart, so that the
// ratios compare the backup with the yardsticks under the same
// conditions).  Outputs are deleted between runs.  Prints the
// medians, the ratios of the backup to the yardsticks, the writer's
// longest wait, the backup's peak memory and the medians of its own stage
// times (PEZOLVA_TEMPOS), and the load average before and after.
//
// Usage: bench_backup FOLDER [--bytes N]... [--runs K] [--ocupado] [--tabela]
// One --bytes (1 GB when none) measures the project in FOLDER itself;
// several measure one project each, in FOLDER/<N>, and end with a table
// of every size: the ratio to VACUUM INTO, the seconds per GB against
// those of the size nearest 1 GB (linearity), the peak memory and the
// writer's longest wait against a raw copy of the file plus 0.3 s and the
// engine's busy time-out.  --ocupado keeps a busy loop running on a thread
// of this benchmark the whole time, so that the other core is taken, as on
// a machine where something else computes.
// --tabela ends with the table of every performance target: the rows above,
// and "pezolva compact" of the project nearest 1 GB against VACUUM INTO plus
// the launcher's start, bench_verify and bench_discovery (run as children,
// in FOLDER/verificacao and FOLDER/descoberta).
// PEZOLVA_BENCH_LAUNCHER names another launcher to measure (an earlier
// build, say) in place of the one built beside this benchmark.
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/error.h"
#include "medicao.h"
#include "relata_falha.h"
#include "tabela_alvos.h"
#include "testproject/projecto_teste.h"

namespace fs = std::filesystem;
namespace tp = pezolva::testproject;

namespace {

using namespace bench;

constexpr const char* kProjecto = "bench_backup";

// Another user of the live database, on a thread of its own: a commit of
// one changed row every 10 ms, each timed from BEGIN IMMEDIATE to the end
// of COMMIT, until stopped.
class Writer {
  public:
    explicit Writer(const fs::path& database) {
        sqlite3* raw = nullptr;
        if (sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(raw);
            throw std::runtime_error("sqlite3_open_v2 de " + database.string());
        }
        db_.reset(raw);
        sqlite3_busy_timeout(db_.get(), 60'000);
        thread_ = std::thread([this] { loop(); });
    }
    ~Writer() { stop(); }
    // Stops, and gives the longest wait in seconds.
    double stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (failed_) throw std::runtime_error("o escritor falhou: " + error_);
        return longest_;
    }
    int commits() const { return commits_; }

  private:
    void loop() {
        const char* change =
            "BEGIN IMMEDIATE; UPDATE BUPS SET BUP_ULT_TAMANHO = coalesce(BUP_ULT_TAMANHO, 0) "
            "WHERE rowid = (SELECT min(rowid) FROM BUPS); COMMIT;";
        while (!stop_) {
            const auto start = std::chrono::steady_clock::now();
            char* message = nullptr;
            if (sqlite3_exec(db_.get(), change, nullptr, nullptr, &message) != SQLITE_OK) {
                error_ = message != nullptr ? message : "?";
                sqlite3_free(message);
                failed_ = true;
                return;
            }
            longest_ = std::max(longest_, seconds_since(start));
            ++commits_;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_{nullptr, sqlite3_close};
    std::thread thread_;
    std::atomic<bool> stop_{false};
    double longest_ = 0;
    int commits_ = 0;
    bool failed_ = false;
    std::string error_;
};

// The stage lines "tempos: BASE: ETAPA S s" of a backup, in their order.
std::vector<std::pair<std::string, double>> stages(const std::string& output) {
    std::vector<std::pair<std::string, double>> out;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("tempos: ", 0) != 0) continue;
        const std::size_t name = line.find(": ", 8);
        const std::size_t value = line.rfind(' ', line.size() - 3);
        if (name == std::string::npos || value == std::string::npos || value <= name) continue;
        out.emplace_back(line.substr(name + 2, value - name - 2),
                         std::atof(line.c_str() + value + 1));
    }
    return out;
}

// One "pezolva backup" of the test project's main database into an empty
// copies folder, which it leaves empty again.
Child run_backup(const std::vector<std::string>& env, const fs::path& output,
                 const fs::path& copies) {
    remove_all_in(copies);
    Child backup = run({launcher(), "backup", "--project", kProjecto, tp::kPrincipal}, env, output);
    if (!succeeded(backup)) throw std::runtime_error("pezolva backup falhou:\n" + backup.output);
    remove_all_in(copies);
    return backup;
}

int usage(const char* program) {
    std::fprintf(stderr, "uso: %s PASTA [--bytes N]... [--runs K] [--ocupado] [--tabela]\n",
                 program);
    return 2;
}

// A thread that spins until stopped: the other core, taken.
class BusyLoop {
  public:
    BusyLoop() {
        thread_ = std::thread([this] {
            volatile std::uint64_t n = 0;
            while (!stop_.load(std::memory_order_relaxed)) n = n + 1;
        });
    }
    ~BusyLoop() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

Result measure(const fs::path& folder, const tp::Opcoes& opcoes, int runs);

// The table of every size: ratio to VACUUM INTO, seconds per GB against
// the reference size's, memory, and the writer's wait against its limit.
void print_sizes(const std::vector<Result>& results, const Result& reference, int runs, bool busy) {
    const double reference_per_gb = reference.backup / (reference.megabytes / 1000);
    std::printf("\nresumo%s (medianas de %d voltas):\n", busy ? ", com o outro núcleo ocupado" : "",
                runs);
    std::printf("  %9s %8s %9s %8s %10s %9s %12s %10s  %s\n", "tamanho", "backup", "/VACUUM",
                "s/GB", "s/GB rel.", "memória", "espera máx.", "limite", "carga antes / depois");
    for (const Result& r : results) {
        const double per_gb = r.backup / (r.megabytes / 1000);
        const double limit = std::min(r.copy + 0.3, kBusyTimeout);
        std::printf("  %6.0f MB %7.2fs %8.2fx %7.2fs %9.2fx %6.1f MiB %10.3fs %8.3fs%s  %s / %s\n",
                    r.megabytes, r.backup, r.backup / r.vacuum, per_gb, per_gb / reference_per_gb,
                    r.peak_mib, r.longest_wait, limit, r.longest_wait <= limit ? "" : " (!)",
                    r.load_before.c_str(), r.load_after.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return usage(argv[0]);
    const fs::path folder = fs::absolute(argv[1]);
    std::vector<std::int64_t> sizes;
    int runs = 5;
    bool busy = false, table = false;
    for (int k = 2; k < argc; ++k) {
        const std::string a = argv[k];
        if (a == "--bytes" && k + 1 < argc) {
            sizes.push_back(std::atoll(argv[++k]));
        } else if (a == "--runs" && k + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++k]));
        } else if (a == "--ocupado") {
            busy = true;
        } else if (a == "--tabela") {
            table = true;
        } else {
            return usage(argv[0]);
        }
    }
    if (sizes.empty()) sizes.push_back(1'000'000'000);
    try {
        std::optional<BusyLoop> loop;
        if (busy) loop.emplace();
        std::vector<Result> results;
        for (const std::int64_t bytes : sizes) {
            tp::Opcoes opcoes;
            opcoes.bytes = bytes;
            const fs::path here = sizes.size() == 1 ? folder : folder / std::to_string(bytes);
            if (sizes.size() > 1)
                std::printf("\n== %lld bytes ==\n", static_cast<long long>(bytes));
            results.push_back(measure(here, opcoes, runs));
        }
        // Linearity against the size nearest 1 GB.
        const Result& reference =
            *std::min_element(results.begin(), results.end(), [](const Result& a, const Result& b) {
                return std::abs(a.megabytes - 1000) < std::abs(b.megabytes - 1000);
            });
        if (results.size() > 1) print_sizes(results, reference, runs, busy);
        if (table) {
            // The busy row of the table: the size nearest 1 GB once more,
            // with the other core taken.
            std::optional<Result> with_busy_core;
            if (!busy) {
                std::printf("\n== %.0f MB, com o outro núcleo ocupado ==\n", reference.megabytes);
                tp::Opcoes opcoes;
                opcoes.bytes = sizes[static_cast<std::size_t>(&reference - results.data())];
                const BusyLoop other_core;
                with_busy_core = measure(reference.live.parent_path(), opcoes, runs);
            }
            print_targets(results, reference, with_busy_core, folder, runs, busy);
        }
    } catch (const std::exception& e) {
        return relata_falha(e);
    }
    return 0;
}

namespace {

Result measure(const fs::path& folder, const tp::Opcoes& opcoes, int runs) {
    Result result;
    {
        fs::create_directories(folder);
        auto start = std::chrono::steady_clock::now();
        const tp::Projecto projecto = tp::reutiliza_ou_cria(folder.string(), opcoes);
        const fs::path live = projecto.principal.caminho;
        std::printf("projecto %s: %s, %.1f MB (pronto em %.1f s)\n", folder.c_str(),
                    live.filename().c_str(), fs::file_size(live) / 1e6, seconds_since(start));

        const fs::path settings = folder / "definicoes";
        const fs::path output = folder / "bench_saida.txt";
        const std::vector<std::string> env = {
            "XDG_CONFIG_HOME=" + settings.string(),
            std::string("PEZOLVA_PASSWORD=") + projecto.principal.palavra_passe,
            "QT_QPA_PLATFORM=offscreen", "PEZOLVA_TEMPOS=1"};
        const Child registered = run({launcher(), "start", folder.string(), kProjecto,
                                      tp::kPrincipal, "--answer", "nao-fazer"},
                                     env, output);
        if (!succeeded(registered))
            throw std::runtime_error("pezolva start falhou:\n" + registered.output);

        const fs::path copies = folder / "copiaseg";
        const fs::path file_copy = folder / "bench_copia.mdb";
        const fs::path vacuum = folder / "bench_vacuum.mdb";
        std::vector<double> copy_s, copy_sync_s, vacuum_s, backup_s, rss_mib, wait_s, with_writer_s;
        std::map<std::string, std::vector<double>> stage_s;
        std::vector<std::string> stage_order;
        const std::string load_before = load_average();
        for (int run_no = 0; run_no < runs; ++run_no) {
            // Each run starts with another of the four, so none always
            // finds the page cache warmed by the same predecessor.
            for (int step = 0; step < 4; ++step) {
                switch ((run_no + step) % 4) {
                    case 0: {
                        fs::remove(file_copy);
                        start = std::chrono::steady_clock::now();
                        fs::copy_file(live, file_copy);
                        copy_s.push_back(seconds_since(start));
                        fsync_file(file_copy);
                        copy_sync_s.push_back(seconds_since(start));
                        fs::remove(file_copy);
                        break;
                    }
                    case 1: {
                        fs::remove(vacuum);
                        start = std::chrono::steady_clock::now();
                        vacuum_into(live, vacuum);
                        vacuum_s.push_back(seconds_since(start));
                        fs::remove(vacuum);
                        break;
                    }
                    case 2: {
                        // The backup alone, as VACUUM INTO and the copy ran.
                        const Child backup = run_backup(env, output, copies);
                        backup_s.push_back(backup.seconds);
                        rss_mib.push_back(backup.max_rss_kib / 1024.0);
                        for (const auto& [stage, s] : stages(backup.output)) {
                            if (!stage_s.count(stage)) stage_order.push_back(stage);
                            stage_s[stage].push_back(s);
                        }
                        break;
                    }
                    case 3: {
                        // Another user committing every 10 ms meanwhile:
                        // how long that user waits, and what it costs.
                        Writer writer(live);
                        const Child backup = run_backup(env, output, copies);
                        wait_s.push_back(writer.stop());
                        with_writer_s.push_back(backup.seconds);
                        break;
                    }
                }
            }
            std::printf(
                "  volta %d: cópia %.2f s (+fsync %.2f s), VACUUM INTO %.2f s, cópia de segurança "
                "%.2f s, "
                "%.1f MiB; com quem escreve %.2f s, espera máxima de quem escreve %.3f s\n",
                run_no + 1, copy_s.back(), copy_sync_s.back(), vacuum_s.back(), backup_s.back(),
                rss_mib.back(), with_writer_s.back(), wait_s.back());
            std::fflush(stdout);
        }
        std::error_code ec;
        fs::remove(output, ec);

        const double copy = median(copy_s), copy_sync = median(copy_sync_s), vac = median(vacuum_s),
                     backup = median(backup_s);
        std::printf("\n%d voltas, medianas (carga antes %s, depois %s):\n", runs,
                    load_before.c_str(), load_average().c_str());
        std::printf("  cópia do ficheiro, sem fsync    %7.2f s\n", copy);
        std::printf("  cópia do ficheiro, com fsync    %7.2f s\n", copy_sync);
        std::printf("  VACUUM INTO (com fsync)         %7.2f s\n", vac);
        std::printf(
            "  pezolva backup                  %7.2f s  = %.2f x VACUUM INTO, %.2f x cópia com "
            "fsync, "
            "%.2f x cópia sem fsync\n",
            backup, backup / vac, backup / copy_sync, backup / copy);
        std::printf("  pezolva backup com quem escreve  %7.2f s  = %.2f x VACUUM INTO\n",
                    median(with_writer_s), median(with_writer_s) / vac);
        std::printf(
            "  espera máxima de quem escreve durante a cópia de segurança: %.3f s (mediana das "
            "voltas %.3f s)\n",
            *std::max_element(wait_s.begin(), wait_s.end()), median(wait_s));
        std::printf(
            "  limite da espera: cópia sem fsync + 0.3 s = %.3f s, e abaixo do tempo de espera do "
            "motor (%.0f s)\n",
            copy + 0.3, kBusyTimeout);
        std::printf("  memória máxima da cópia de segurança: %.1f MiB (mediana %.1f MiB)\n",
                    *std::max_element(rss_mib.begin(), rss_mib.end()), median(rss_mib));
        std::printf("  etapas da cópia de segurança (medianas, as de 0.05 s ou mais):\n");
        for (const std::string& stage : stage_order) {
            const double s = median(stage_s[stage]);
            if (s >= 0.05) std::printf("    %-36s %7.3f s\n", stage.c_str(), s);
        }
        std::fflush(stdout);
        result.megabytes = fs::file_size(live) / 1e6;
        result.copy = copy;
        result.copy_sync = copy_sync;
        result.vacuum = vac;
        result.backup = backup;
        result.longest_wait = *std::max_element(wait_s.begin(), wait_s.end());
        result.peak_mib = *std::max_element(rss_mib.begin(), rss_mib.end());
        result.load_before = load_before;
        result.load_after = load_average();
        result.live = live;
        result.project = kProjecto;
        result.env = env;
    }
    return result;
}

}  // namespace
