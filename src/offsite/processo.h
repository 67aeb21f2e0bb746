#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pezolva::offsite {

// A program to run: never through a shell, with exactly the environment
// given (nothing of ours is inherited, so no password of a database can
// reach it).
struct PedidoProcesso {
    std::string programa;                 // found on PATH when it has no "/"
    std::vector<std::string> argumentos;  // without the program's own name
    std::vector<std::string> ambiente;    // "NOME=valor", the whole environment
    std::string entrada;                  // written to its standard input, then closed
    // When set, its standard output goes to this open descriptor instead of
    // being read (a copy fetched from the repository can be large).
    std::optional<int> saida_para;
};

struct ResultadoProcesso {
    bool arrancou = false;  // false: the program could not be started (see erro_arranque)
    int erro_arranque = 0;  // errno of the failed start (ENOENT: not installed)
    int estado = -1;        // exit status when it ended by itself
    int sinal = 0;          // the signal that ended it, 0 when none did
    // A signal asked us to stop while it ran: it was asked to stop too
    // (SIGINT, then SIGKILL after a grace period) and waited for.
    int interrompido_por = 0;
    std::string saida;  // standard output (empty when saida_para was given)
    std::string erros;  // standard error
};

// How the off-site copies run their programs: the real one, or a fake in
// the tests that plays a failure on demand.
class Processos {
  public:
    virtual ~Processos() = default;
    virtual ResultadoProcesso corre(const PedidoProcesso& pedido) = 0;
};

// Starts the program and waits for it.  For that length SIGINT, SIGTERM and
// SIGHUP become an interruption request (engine/interruption.h): the child
// is stopped and waited for, so that nothing of ours outlives the run, and
// the caller ends as the signal asks.
class ProcessosReais : public Processos {
  public:
    ResultadoProcesso corre(const PedidoProcesso& pedido) override;
};

// The environment restic needs and nothing more: PATH, HOME (its cache,
// SSH's keys, ~/.aws), a C locale for its English messages, and the
// extra entries (RESTIC_PASSWORD_FILE).
std::vector<std::string> ambiente_limpo(const std::vector<std::string>& extra);

}  // namespace pezolva::offsite
