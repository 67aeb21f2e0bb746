#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/database.h"
#include "support/temp_dir.h"

namespace pezolva::engine::testing {

// The number of the EngineError that `action` throws, or 0 when it throws
// none.
int error_number(const std::function<void()>& action);

// Runs `sql` through the sqlite3 shell on `path`, as a script file.
// False when the shell is not installed.
bool run_sqlite_shell(const std::string& path, const std::string& sql);

// A child process (the engine_holder helper) that holds a database open:
// "shared" or "exclusive".  It lets
// go when the object goes.
class Holder {
  public:
    Holder(const std::string& path, const std::string& mode, const std::string& password = "");
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    // What the helper reported once it held the database ("ready", or its
    // error).
    const std::string& status() const { return status_; }

  private:
    int pid_ = -1;
    int to_child_ = -1;
    std::string status_;
};

// A temporary folder with verbs for making databases.
class EngineTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return dir_.file(name); }
    // A new database holding what `sql` makes.
    Database make(const std::string& name, const std::string& sql = "",
                  const std::string& password = "");

    pezolva::testing::TempDir dir_;
};

}  // namespace pezolva::engine::testing
