#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pezolva {

// The outcome codes of a wait, as the original platform numbers them: the
// program ended, the time-out expired, the wait itself failed.  No caller
// interprets them beyond telling them apart.
inline constexpr std::int32_t kTerminou = 0;
inline constexpr std::int32_t kTempoEsgotado = 0x102;
inline constexpr std::int32_t kEsperaFalhou = -1;
// Added to the system's error number when the program cannot be started:
// the result is then negative.
inline constexpr std::int32_t kFalhaArranque = static_cast<std::int32_t>(0x80040000u);

// How a program is started and waited for.
struct PedidoExecucao {
    std::string programa;                 // path of the program; never run through a shell
    std::vector<std::string> argumentos;  // each one passed as it is
    // 0 hidden ... 6 minimised without focus, as callers ask for the
    // started program's windows.  X11 gives a starting program no such
    // request, so it is not applied: the programs started (the compaction
    // tool, the set-up) show or hide their own windows.
    std::optional<int> estado_janela;
    std::optional<int> tempo_limite_ms;  // missing: no limit
    // Written to the program's standard input, which is then closed: a
    // secret goes this way, never on the command line.
    std::string entrada;
    // Extra environment entries ("NOME=valor").
    std::vector<std::string> ambiente;
    // Descriptors the program inherits, under their own numbers.
    std::vector<int> herdados;
    // A program still running at the time-out is killed and waited for, so
    // that nothing it writes can land after the caller has moved on.
    bool mata_no_limite = false;
    // Called about ten times a second while the program runs (the caller
    // repaints its wait window there); may be empty.
    std::function<void()> entre_esperas;
    // Asked as often: true stops the wait, killing the program and waiting
    // for its end (the caller is being stopped itself); may be empty.
    std::function<bool()> parar;
};

struct ResultadoExecucao {
    std::int32_t codigo = kEsperaFalhou;  // kTerminou, kTempoEsgotado, kEsperaFalhou, or negative
    // When codigo is kTerminou: the program's exit status, or -1 when a
    // signal ended it.
    int saida = -1;
    // What the program wrote to its standard error (its reason for failing).
    std::string erros;
    // The wait was stopped on the caller's request (codigo is then
    // kEsperaFalhou) and the program killed.
    bool parada = false;
};

// The environment every program the component starts gets: this
// process's own, less the launcher's password variable (PEZOLVA_PASSWORD),
// should a host have left it there.  A secret reaches a child on its
// standard input only.
std::vector<std::string> ambiente_dos_filhos();

// Starts the program and waits for it up to the time-out.  A program that
// cannot be started (missing, not executable) gives kFalhaArranque plus the
// system's error number, at once, without waiting.
ResultadoExecucao executa_e_espera(const PedidoExecucao& pedido);

}  // namespace pezolva
