#pragma once

#include <functional>
#include <string>

#include "common/dialogs.h"
#include "engine/error.h"

namespace pezolva {

// Runs one step of a register change, showing each engine error to the
// user and trying the step again after the acknowledgement, as the user
// may close another program that holds the table.  The same error three
// times in a row ends the attempts: the third message says what was given
// up (`abandono`).  Returns whether the step succeeded.
class Tentativas {
  public:
    Tentativas(Dialogs& dialogs, std::string titulo, Icon icone, std::string abandono)
        : dialogs_(dialogs),
          titulo_(std::move(titulo)),
          icone_(icone),
          abandono_(std::move(abandono)) {}

    bool executa(const std::function<void()>& passo);

    static constexpr int kMaximo = 3;

  private:
    Dialogs& dialogs_;
    std::string titulo_;
    Icon icone_;
    std::string abandono_;
};

}  // namespace pezolva
