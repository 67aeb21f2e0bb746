#include "offsite/processo.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "engine/interruption.h"

namespace pezolva::offsite {
namespace {

constexpr auto kTempoParaParar = std::chrono::seconds(10);

std::string path_do_ambiente(const std::vector<std::string>& ambiente) {
    for (const std::string& e : ambiente) {
        if (e.rfind("PATH=", 0) == 0) return e.substr(5);
    }
    return "/usr/bin:/bin";
}

// The program's file: a name with "/" as it is, otherwise the first
// executable of that name on the child's own PATH.
std::string localiza(const std::string& programa, const std::vector<std::string>& ambiente) {
    if (programa.find('/') != std::string::npos) return programa;
    const std::string path = path_do_ambiente(ambiente);
    std::size_t inicio = 0;
    while (inicio <= path.size()) {
        const std::size_t fim = std::min(path.find(':', inicio), path.size());
        const std::string pasta = path.substr(inicio, fim - inicio);
        const std::string f = (pasta.empty() ? "." : pasta) + "/" + programa;
        if (::access(f.c_str(), X_OK) == 0) return f;
        inicio = fim + 1;
    }
    return "";
}

struct Tubos {
    int entrada[2] = {-1, -1};
    int saida[2] = {-1, -1};
    int erros[2] = {-1, -1};
    int exec[2] = {-1, -1};  // closed on exec; carries errno when exec fails
    ~Tubos() {
        for (int* t : {entrada, saida, erros, exec}) {
            for (int i = 0; i < 2; ++i) {
                if (t[i] >= 0) ::close(t[i]);
            }
        }
    }
    static void fecha(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

[[noreturn]] void no_filho(const std::string& ficheiro, const PedidoProcesso& p, Tubos& t,
                           char* const* argv, char* const* envp) {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) ::signal(s, SIG_DFL);
    sigset_t nenhum;
    sigemptyset(&nenhum);
    ::sigprocmask(SIG_SETMASK, &nenhum, nullptr);
    ::dup2(t.entrada[0], 0);
    ::dup2(p.saida_para ? *p.saida_para : t.saida[1], 1);
    ::dup2(t.erros[1], 2);
    const int aviso = ::fcntl(t.exec[1], F_DUPFD_CLOEXEC, 3);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != aviso) ::close(fd);
    }
    ::execve(ficheiro.c_str(), argv, envp);
    const int e = errno;
    [[maybe_unused]] const auto n = ::write(aviso, &e, sizeof e);
    ::_exit(127);
}

class Espera {
  public:
    Espera(pid_t filho, Tubos& t, const std::string& entrada, ResultadoProcesso& r)
        : filho_(filho), t_(t), entrada_(entrada), r_(r) {}

    void ate_ao_fim() {
        while (t_.saida[0] >= 0 || t_.erros[0] >= 0 || t_.entrada[1] >= 0) {
            pede_paragem_se_preciso();
            pollfd fds[3];
            int n = 0;
            for (int fd : {t_.saida[0], t_.erros[0]}) {
                if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
            }
            if (t_.entrada[1] >= 0) fds[n++] = {t_.entrada[1], POLLOUT, 0};
            if (::poll(fds, static_cast<nfds_t>(n), 100) < 0 && errno != EINTR) break;
            for (int i = 0; i < n; ++i) {
                if (fds[i].revents != 0) atende(fds[i].fd);
            }
        }
        espera_filho();
    }

  private:
    void pede_paragem_se_preciso() {
        const int pedido = engine::interruption_requested();
        if (pedido == 0) return;
        const auto agora = std::chrono::steady_clock::now();
        if (r_.interrompido_por == 0) {
            r_.interrompido_por = pedido;
            parado_em_ = agora;
            ::kill(filho_, SIGINT);  // restic removes its lock and ends
        } else if (agora - parado_em_ > kTempoParaParar) {
            ::kill(filho_, SIGKILL);
        }
    }

    void atende(int fd) {
        if (fd == t_.entrada[1]) {
            const ssize_t n = ::write(fd, entrada_.data() + escrito_, entrada_.size() - escrito_);
            if (n > 0) escrito_ += static_cast<std::size_t>(n);
            if (n < 0 && errno == EINTR) return;
            if (n < 0 || escrito_ >= entrada_.size()) Tubos::fecha(t_.entrada[1]);
            return;
        }
        char buf[65536];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) return;
        if (n <= 0) {
            Tubos::fecha(fd == t_.saida[0] ? t_.saida[0] : t_.erros[0]);
            return;
        }
        (fd == t_.saida[0] ? r_.saida : r_.erros).append(buf, static_cast<std::size_t>(n));
    }

    void espera_filho() {
        int estado = 0;
        while (::waitpid(filho_, &estado, WNOHANG) == 0) {
            pede_paragem_se_preciso();
            ::usleep(20000);
        }
        if (WIFEXITED(estado)) r_.estado = WEXITSTATUS(estado);
        if (WIFSIGNALED(estado)) r_.sinal = WTERMSIG(estado);
    }

    pid_t filho_;
    Tubos& t_;
    const std::string& entrada_;
    ResultadoProcesso& r_;
    std::size_t escrito_ = 0;
    std::chrono::steady_clock::time_point parado_em_{};
};

std::vector<char*> ponteiros(std::vector<std::string>& textos) {
    std::vector<char*> p;
    for (std::string& t : textos) p.push_back(t.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

ResultadoProcesso ProcessosReais::corre(const PedidoProcesso& pedido) {
    ResultadoProcesso r;
    const std::string ficheiro = localiza(pedido.programa, pedido.ambiente);
    if (ficheiro.empty()) {
        r.erro_arranque = ENOENT;
        return r;
    }
    std::vector<std::string> args{pedido.programa};
    args.insert(args.end(), pedido.argumentos.begin(), pedido.argumentos.end());
    std::vector<std::string> env = pedido.ambiente;
    const std::vector<char*> argv = ponteiros(args), envp = ponteiros(env);
    Tubos t;
    for (int* tubo : {t.entrada, t.saida, t.erros, t.exec}) {
        if (::pipe2(tubo, O_CLOEXEC) != 0) {
            r.erro_arranque = errno;
            return r;
        }
    }
    const engine::SignalInterruption sinais;
    const pid_t filho = ::fork();
    if (filho < 0) {
        r.erro_arranque = errno;
        return r;
    }
    if (filho == 0) no_filho(ficheiro, pedido, t, argv.data(), envp.data());
    for (int* fd : {&t.entrada[0], &t.saida[1], &t.erros[1], &t.exec[1]}) Tubos::fecha(*fd);
    int erro_exec = 0;
    while (::read(t.exec[0], &erro_exec, sizeof erro_exec) < 0 && errno == EINTR) {
    }
    ::fcntl(t.entrada[1], F_SETFL, O_NONBLOCK);
    if (pedido.entrada.empty()) Tubos::fecha(t.entrada[1]);
    // A child that ends before reading its input must not end us with it.
    struct sigaction ignora {
    }, antes{};
    ignora.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignora, &antes);
    Espera(filho, t, pedido.entrada, r).ate_ao_fim();
    ::sigaction(SIGPIPE, &antes, nullptr);
    r.arrancou = erro_exec == 0;
    r.erro_arranque = erro_exec;
    return r;
}

std::vector<std::string> ambiente_limpo(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    const char* path = std::getenv("PATH");
    env.push_back(std::string("PATH=") + (path != nullptr && *path ? path : "/usr/bin:/bin"));
    if (const char* home = std::getenv("HOME"); home != nullptr)
        env.push_back(std::string("HOME=") + home);
    env.push_back("LC_ALL=C");
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

}  // namespace pezolva::offsite
