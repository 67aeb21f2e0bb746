#pragma once

#include <sys/types.h>

#include <string>

namespace pezolva {

// A program started without waiting for it, in a process group of its own,
// so that the processes it starts can be followed too.  It is never killed
// or waited for by its owner: it runs on when the owner goes.
class ProcessoSetup {
  public:
    // Starts `programa` (no shell; no arguments) in the folder `pasta`.
    // Throws FileError with the system's error when it cannot be started.
    ProcessoSetup(const std::string& programa, const std::string& pasta);
    ProcessoSetup(const ProcessoSetup&) = delete;
    ProcessoSetup& operator=(const ProcessoSetup&) = delete;

    // Whether the program or any process of its group is still running.
    bool vivo();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    bool colhido_ = false;
};

}  // namespace pezolva
