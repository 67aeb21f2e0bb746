#include "tabela_alvos.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "medicao.h"

namespace bench {
namespace {

// The files a compaction keeps of the old database ("brasol200612061430.mdb"
// for "brasol.mdb"), removed so that the next run of the same minute may
// keep its own.
void remove_dated(const fs::path& live) {
    const std::string name = live.filename().string();
    const std::string stem = name.substr(0, name.size() - 4);
    const auto dated = [&](const std::string& n) {
        return n.size() == stem.size() + 16 && n.compare(0, stem.size(), stem) == 0 &&
               n.compare(n.size() - 4, 4, ".mdb") == 0 &&
               std::all_of(n.begin() + static_cast<long>(stem.size()), n.end() - 4,
                           [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(live.parent_path(), ec)) {
        if (dated(e.path().filename().string())) fs::remove(e.path(), ec);
    }
}

// "pezolva compact" of the main database against VACUUM INTO of it plus the
// launcher's start ("pezolva --help"), in turn; the median ratio.
double compaction_ratio(const Result& r, int runs) {
    const fs::path output = r.live.parent_path() / "bench_saida.txt";
    const fs::path vacuum = r.live.parent_path() / "bench_vacuum.mdb";
    std::vector<double> ratios;
    for (int k = 0; k < runs; ++k) {
        remove_dated(r.live);
        const Child compact =
            run({launcher(), "compact", "--project", r.project, r.live.filename().string()}, r.env,
                output);
        if (!succeeded(compact))
            throw std::runtime_error("pezolva compact falhou:\n" + compact.output);
        remove_dated(r.live);
        const auto start = std::chrono::steady_clock::now();
        if (!succeeded(run({launcher(), "--help"}, r.env, output)))
            throw std::runtime_error("pezolva --help falhou");
        vacuum_into(r.live, vacuum);
        ratios.push_back(compact.seconds / seconds_since(start));
        fs::remove(vacuum);
    }
    fs::remove(output);
    return median(ratios);
}

// "pezolva restore" of a backup copy of the main database against what
// it cannot do without: a file copy with fsync and a quick_check of the
// copied file, in turn; the median ratio.  The restore puts the copy,
// whose rows are the live database's, in the live database's place.
double restore_ratio(const Result& r, int runs) {
    const fs::path folder = r.live.parent_path();
    const fs::path output = folder / "bench_saida.txt";
    const fs::path copies = folder / "copiaseg";
    remove_all_in(copies);
    const Child backup = run(
        {launcher(), "backup", "--project", r.project, r.live.filename().string()}, r.env, output);
    if (!succeeded(backup)) throw std::runtime_error("pezolva backup falhou:\n" + backup.output);
    fs::path copy;
    for (const auto& e : fs::directory_iterator(copies)) {
        if (e.path().extension() == ".mdb") copy = e.path();
    }
    if (copy.empty())
        throw std::runtime_error("a cópia de segurança não ficou em " + copies.string());
    const fs::path yardstick = folder / "bench_reposta.mdb";
    std::vector<double> ratios;
    for (int k = 0; k < runs; ++k) {
        const Child restore = run(
            {launcher(), "restore", "--project", r.project, copy.string(), "--yes"}, r.env, output);
        if (!succeeded(restore))
            throw std::runtime_error("pezolva restore falhou:\n" + restore.output);
        fs::remove(yardstick);
        const auto start = std::chrono::steady_clock::now();
        fs::copy_file(copy, yardstick);
        fsync_file(yardstick);
        quick_check(yardstick);
        ratios.push_back(restore.seconds / seconds_since(start));
        fs::remove(yardstick);
    }
    remove_all_in(copies);
    fs::remove(output);
    return median(ratios);
}

// Runs a sibling benchmark and reads the number after `label` in what it
// printed.
double sibling_figure(const std::string& program, const std::vector<std::string>& args,
                      const std::string& label, const fs::path& output) {
    std::vector<std::string> command = {
        (fs::read_symlink("/proc/self/exe").parent_path() / program).string()};
    command.insert(command.end(), args.begin(), args.end());
    const Child child = run(command, {}, output);
    fs::remove(output);
    const std::size_t at = child.output.find(label);
    if (!succeeded(child) || at == std::string::npos) {
        throw std::runtime_error(program + " falhou:\n" + child.output);
    }
    return std::atof(child.output.c_str() + at + label.size());
}

// A row of the table, its first column padded by characters, not bytes.
void row(const std::string& measure, const std::string& figure, const std::string& target) {
    std::size_t characters = 0;
    for (const unsigned char c : measure) characters += (c & 0xC0) != 0x80;
    std::printf("  %s%s %-14s %s\n", measure.c_str(),
                std::string(characters < 66 ? 66 - characters : 0, ' ').c_str(), figure.c_str(),
                target.c_str());
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string megabytes(double mb) { return std::to_string(static_cast<long>(mb + 0.5)) + " MB"; }

}  // namespace

void print_targets(const std::vector<Result>& sizes, const Result& reference,
                   const std::optional<Result>& with_busy_core, const fs::path& folder, int runs,
                   bool busy) {
    std::printf("\na medir a reposição, a compactação, a verificação e a procura de cópias...\n");
    std::fflush(stdout);
    const double restore = restore_ratio(reference, runs);
    const double compact = compaction_ratio(reference, runs);
    const double verify =
        sibling_figure("bench_verify", {(folder / "verificacao").string(), "--runs", "3"},
                       "pezolva verify (processo)", folder / "bench_verify.txt");
    const double discovery =
        sibling_figure("bench_discovery", {(folder / "descoberta").string(), "--runs", "5"},
                       "procura (mediana de 5):", folder / "bench_discovery.txt");

    const double reference_per_gb = reference.backup / (reference.megabytes / 1000);
    std::printf("\nalvos%s:\n", busy ? " (com o outro núcleo ocupado)" : "");
    row("medida", "agora", "alvo");
    row("cópia de segurança de " + megabytes(reference.megabytes) + " / VACUUM INTO (com fsync)",
        format("%.2f x", reference.backup / reference.vacuum),
        busy ? "<= 1.2 x" : "<= 0.7 x (0.5 x, o chão)");
    if (with_busy_core) {
        row("a mesma, com o outro núcleo ocupado",
            format("%.2f x", with_busy_core->backup / with_busy_core->vacuum), "<= 1.2 x");
    }
    double peak = 0;
    for (const Result& r : sizes) {
        peak = std::max(peak, r.peak_mib);
        if (&r == &reference) continue;
        row("tempo por GB a " + megabytes(r.megabytes) + " / o de " +
                megabytes(reference.megabytes),
            format("%.2f x", r.backup / (r.megabytes / 1000) / reference_per_gb),
            "0.85 x a 1.15 x");
    }
    row("memória máxima da cópia de segurança, em todos os tamanhos", format("%.1f MiB", peak),
        "<= 64 MiB");
    for (const Result& r : sizes) {
        row("espera máxima de quem escreve, " + megabytes(r.megabytes),
            format("%.3f s", r.longest_wait),
            format("<= %.3f s (cópia do ficheiro + 0.3 s)", std::min(r.copy + 0.3, kBusyTimeout)) +
                format(", < %.0f s", kBusyTimeout));
    }
    row("pezolva verify de duas bases de 1 500 tabelas", format("%.3f s", verify), "< 1 s");
    row("procura de cópias: 10 000 ficheiros, 3 linhas do registo", format("%.3f s", discovery),
        "< 0.2 s");
    row("pezolva compact de " + megabytes(reference.megabytes) + " / (VACUUM INTO + arranque)",
        format("%.2f x", compact), "<= 1.3 x (1.1 x, o chão)");
    row("pezolva restore de " + megabytes(reference.megabytes) +
            " / (cópia com fsync + quick_check)",
        format("%.2f x", restore), "<= 1.1 x");
}

}  // namespace bench
