#include "support/sem_privilegios.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace pezolva::testing {

bool abdica_privilegios() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kUtilizadorComum) == 0 &&
           ::setuid(kUtilizadorComum) == 0 && ::geteuid() != 0;
}

int como_utilizador_comum(const std::function<int()>& accao) {
    if (::geteuid() != 0) return accao();
    const pid_t filho = ::fork();
    if (filho < 0) return -1;
    if (filho == 0) {
        // No destructor and no atexit handler of the parent's runs here.
        if (!abdica_privilegios()) ::_exit(255);
        ::_exit(accao() & 0xff);
    }
    int estado = 0;
    while (::waitpid(filho, &estado, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

void entrega_ao_utilizador_comum(const std::filesystem::path& path) {
    if (::geteuid() != 0) return;
    std::error_code ec;
    const auto entrega = [](const std::filesystem::path& p) {
        // lchown: a link is given, never what it points to.
        (void)::lchown(p.c_str(), kUtilizadorComum, kUtilizadorComum);
    };
    entrega(path);
    for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        entrega(it->path());
    }
}

}  // namespace pezolva::testing
