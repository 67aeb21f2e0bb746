#pragma once

#include <string>

namespace pezolva {

// What the user sees while a long program runs: the wait window in its
// compaction role, a line on a terminal, or nothing (tests).
class AvisoEspera {
  public:
    virtual ~AvisoEspera() = default;
    // "A COMPACTAR" and the database's name.
    virtual void mostra(const std::string& titulo, const std::string& texto) = 0;
    // Called while the program runs: keep the notice painted.
    virtual void mantem() {}
    virtual void fecha() {}
};

}  // namespace pezolva
