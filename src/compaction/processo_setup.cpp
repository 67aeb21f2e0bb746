#include "compaction/processo_setup.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/file_system.h"
#include "compaction/executa_e_espera.h"

namespace pezolva {

ProcessoSetup::ProcessoSetup(const std::string& programa, const std::string& pasta) {
    posix_spawnattr_t atributos;
    posix_spawnattr_init(&atributos);
    posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&atributos, 0);
    posix_spawn_file_actions_t accoes;
    posix_spawn_file_actions_init(&accoes);
    posix_spawn_file_actions_addchdir_np(&accoes, pasta.c_str());
    std::vector<char> nome(programa.begin(), programa.end());
    nome.push_back('\0');
    char* argv[] = {nome.data(), nullptr};
    std::vector<std::string> ambiente = ambiente_dos_filhos();
    std::vector<char*> envp;
    for (std::string& variavel : ambiente) envp.push_back(variavel.data());
    envp.push_back(nullptr);
    const int erro = posix_spawn(&pid_, programa.c_str(), &accoes, &atributos, argv, envp.data());
    posix_spawn_file_actions_destroy(&accoes);
    posix_spawnattr_destroy(&atributos);
    if (erro != 0) {
        pid_ = -1;
        throw FileError(erro,
                        "Não foi possível executar " + programa + ": " + describe_errno(erro));
    }
}

bool ProcessoSetup::vivo() {
    if (pid_ < 0) return false;
    if (!colhido_) {
        int estado = 0;
        if (::waitpid(pid_, &estado, WNOHANG) == pid_) colhido_ = true;
    }
    if (!colhido_) return true;
    // The group keeps the leader's number while any of its processes runs.
    return ::kill(-pid_, 0) == 0 || errno == EPERM;
}

}  // namespace pezolva
