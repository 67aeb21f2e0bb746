#include "medicao.h"

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace bench {

std::string load_average() {
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) != 3) return "?";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

void fsync_file(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("fsync de " + file.string() + ": " + std::strerror(errno));
    }
    ::close(fd);
}

Child run(const std::vector<std::string>& args, const std::vector<std::string>& extra,
          const fs::path& output_file) {
    std::vector<std::string> env_text;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::string& x) {
            return entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        });
        if (!replaced) env_text.push_back(entry);
    }
    env_text.insert(env_text.end(), extra.begin(), extra.end());
    std::vector<char*> envp, argv;
    for (std::string& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> arg_text = args;
    for (std::string& a : arg_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    Child child;
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error(std::string("posix_spawn de ") + args[0] + ": " +
                                 std::strerror(rc));
    rusage usage{};
    if (wait4(pid, &child.status, 0, &usage) != pid) throw std::runtime_error("wait4 falhou");
    child.seconds = seconds_since(start);
    child.max_rss_kib = usage.ru_maxrss;
    std::ifstream in(output_file);
    std::stringstream text;
    text << in.rdbuf();
    child.output = text.str();
    return child;
}

bool succeeded(const Child& c) { return WIFEXITED(c.status) && WEXITSTATUS(c.status) == 0; }

void quick_check(const fs::path& database) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw std::runtime_error("sqlite3_open_v2: " + std::string(sqlite3_errstr(rc)));
    std::string result;
    char* message = nullptr;
    const auto first = [](void* out, int, char** values, char**) {
        if (static_cast<std::string*>(out)->empty() && values[0] != nullptr)
            *static_cast<std::string*>(out) = values[0];
        return 0;
    };
    if (sqlite3_exec(db.get(), "PRAGMA quick_check", first, &result, &message) != SQLITE_OK ||
        result != "ok") {
        const std::string why = message != nullptr ? message : result;
        sqlite3_free(message);
        throw std::runtime_error("quick_check de " + database.string() + ": " + why);
    }
}

void vacuum_into(const fs::path& database, const fs::path& destination) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw std::runtime_error("sqlite3_open_v2: " + std::string(sqlite3_errstr(rc)));
    sqlite3_stmt* raw_statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), "VACUUM INTO ?1", -1, &raw_statement, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db.get()));
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw_statement,
                                                                    sqlite3_finalize);
    sqlite3_bind_text(statement.get(), 1, destination.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db.get()));
}

void remove_all_in(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) fs::remove(entry.path(), ec);
}

const char* launcher() {
    const char* other = std::getenv("PEZOLVA_BENCH_LAUNCHER");
    return other != nullptr && *other != '\0' ? other : PEZOLVA_LAUNCHER;
}

}  // namespace bench
