#pragma once

#include <functional>
#include <optional>

namespace pezolva {

// What the wait for the set-up program looks at on each tick.
struct SondasSetup {
    // Whether the set-up program's window is on the display; nullopt when
    // no display can be searched.
    std::function<std::optional<bool>()> janela_presente;
    // Whether the set-up program, or a process it started in its group,
    // is still running.
    std::function<bool()> processo_vivo;
};

// The rule of the wait, one tick a second: first the set-up window must be
// seen, then seen gone.  The wait also ends when the set-up program and
// the processes of its group have all ended (its window may never have
// matched, or may have come and gone between two ticks); without a display
// that is the only way it ends.
class EsperaSetup {
  public:
    explicit EsperaSetup(SondasSetup sondas) : sondas_(std::move(sondas)) {}
    // One tick; true when the wait is over.
    bool tique();
    bool visto() const { return visto_; }

  private:
    SondasSetup sondas_;
    bool visto_ = false;
};

}  // namespace pezolva
