#pragma once

#include <filesystem>
#include <functional>

namespace pezolva::testing {

// Permission tests as root: root reads and writes any file whatever its
// mode, so a test of a refused permission would prove nothing.  These run
// the part under test as the unprivileged user "nobody" instead, in a
// child process, when the tests run as root (as CI does).

// The user and group the child runs as.
inline constexpr unsigned kUtilizadorComum = 65534;

// Runs `accao` as an unprivileged user and returns its result (0 to 255):
// in a child process that drops root's privileges when this process is
// root, in this process otherwise.  -1 when the child could not run.
int como_utilizador_comum(const std::function<int()>& accao);

// Drops root's privileges for good (group list, group, user); nothing when
// not root.  For a child process about to run a program, e.g. from
// QProcess::setChildProcessModifier.  False when a step failed.
bool abdica_privilegios();

// Gives `path` and everything under it to the unprivileged user, so that
// the child can reach them; nothing when not root.
void entrega_ao_utilizador_comum(const std::filesystem::path& path);

}  // namespace pezolva::testing
