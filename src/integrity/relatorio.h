#pragma once

#include <functional>
#include <string>
#include <vector>

#include "integrity/diferenca.h"

namespace pezolva::integrity {

// The two texts of a verification: the errors (every difference and every
// failure of the run) and the log (those, and what the run did).  A run
// found its databases consistent exactly when the errors are empty.
class Relatorio {
  public:
    // Each line as it is registered, to whoever shows it (`erro` when it
    // also goes to the errors).
    std::function<void(const std::string& linha, bool erro)> ao_registar;

    void regista_diferenca(Diferenca d);
    // A failure of the run, not a difference ("número - descrição", ...).
    void regista_erro(const std::string& linha);
    void regista_linha(const std::string& linha);

    // Both texts emptied, as each run starts.
    void limpa();

    const std::vector<std::string>& erros() const { return erros_; }
    const std::vector<std::string>& registo() const { return registo_; }
    const std::vector<Diferenca>& diferencas() const { return diferencas_; }
    // The errors that are not differences.
    const std::vector<std::string>& falhas() const { return falhas_; }
    bool sem_erros() const { return erros_.empty(); }

  private:
    void acrescenta(const std::string& linha, bool erro);

    std::vector<std::string> erros_;
    std::vector<std::string> registo_;
    std::vector<Diferenca> diferencas_;
    std::vector<std::string> falhas_;
};

// The lines joined as the window's texts hold them: CR LF between lines,
// nothing after the last.
std::string junta_linhas(const std::vector<std::string>& linhas);

}  // namespace pezolva::integrity
