#include "engine_fixture.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

extern char** environ;

namespace pezolva::engine::testing {

int error_number(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& e) {
        return e.numero();
    }
    return 0;
}

bool run_sqlite_shell(const std::string& path, const std::string& sql) {
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) return false;
    const std::string script = path + ".sql";
    std::ofstream(script) << sql;
    const std::string command = "sqlite3 -bail '" + path + "' < '" + script + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return true;
}

Holder::Holder(const std::string& path, const std::string& mode, const std::string& password) {
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, down[0], 0);
    posix_spawn_file_actions_adddup2(&actions, up[1], 1);
    posix_spawn_file_actions_addclose(&actions, down[1]);
    posix_spawn_file_actions_addclose(&actions, up[0]);
    // The password reaches the helper through its standard input, never
    // its command line.
    std::string helper = ENGINE_HOLDER;
    std::vector<char*> argv{helper.data(), const_cast<char*>(path.c_str()),
                            const_cast<char*>(mode.c_str()), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(down[0]);
    close(up[1]);
    if (rc != 0) throw std::runtime_error("posix_spawn");
    pid_ = pid;
    to_child_ = down[1];
    const std::string line = password + "\n";
    if (write(to_child_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        status_ = "write failed";
    char c;
    while (read(up[0], &c, 1) == 1 && c != '\n') status_ += c;
    close(up[0]);
}

Holder::~Holder() {
    if (to_child_ >= 0) close(to_child_);  // end of input: the helper lets go and ends
    if (pid_ > 0) {
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

Database EngineTest::make(const std::string& name, const std::string& sql,
                          const std::string& password) {
    Database db = CreateDatabase(path(name), password);
    if (!sql.empty()) db.Execute(sql);
    return db;
}

}  // namespace pezolva::engine::testing
