#pragma once

#include <string>
#include <vector>

namespace pezolva::cli {

// Copies the named databases of the current project, showing progress on
// standard output and, at the end, the message log and the error log.
// Returns the exit status: 0 when the error log stayed empty, 128 + the
// signal's number when a signal stopped the run (said on standard error),
// 1 otherwise.
int corre_copias(const std::vector<std::string>& escolhidas);

// "SIGINT", "SIGTERM", "SIGHUP", or the number of another signal.
std::string nome_sinal(int sinal);

}  // namespace pezolva::cli
