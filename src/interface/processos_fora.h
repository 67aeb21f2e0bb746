#pragma once

#include "offsite/processo.h"

namespace pezolva {

// How the component runs restic: the real programs, or the tests' fake.
offsite::Processos& processos_fora();

// Replaces them until the object goes (tests).
class ProcessosForaSubstituidos {
  public:
    explicit ProcessosForaSubstituidos(offsite::Processos& p);
    ~ProcessosForaSubstituidos();
    ProcessosForaSubstituidos(const ProcessosForaSubstituidos&) = delete;
    ProcessosForaSubstituidos& operator=(const ProcessosForaSubstituidos&) = delete;

  private:
    offsite::Processos* antes_;
};

}  // namespace pezolva
