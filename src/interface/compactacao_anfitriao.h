#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compaction/compacta_bd.h"

namespace pezolva {

// The compaction as the component runs it for its hosts: the current
// project's name for the "bloqueada" question, the tool looked for beside
// the launcher and the shared library too, and the wait window when the
// host owns a QApplication (nothing otherwise: the unattended operations
// print their own line).
class AmbienteDoAnfitriao {
  public:
    AmbienteDoAnfitriao();
    ~AmbienteDoAnfitriao();
    const AmbienteCompactacao& ambiente() const { return ambiente_; }

  private:
    std::unique_ptr<AvisoEspera> aviso_;
    AmbienteCompactacao ambiente_;
};

// The folders of the running program and of libpezolva.so, and the bin
// folder beside the library's (an installed prefix).
std::vector<std::string> pastas_dos_programas();

}  // namespace pezolva
