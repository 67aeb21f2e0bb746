#pragma once

#include <string>

namespace pezolva::backup {

// The two logs of a backup run: the error text and the message text.  An
// error goes to both, a message to the message text only.  Lines are
// separated by CR LF, with nothing after the last.  A run succeeded exactly
// when its error text is empty.
class LogsExecucao {
  public:
    void regista_erro(const std::string& linha);
    void regista_mensagem(const std::string& linha);

    const std::string& erros() const { return erros_; }
    const std::string& mensagens() const { return mensagens_; }
    bool sem_erros() const { return erros_.empty(); }

    // Empties the error text (each run starts with none); the message text
    // keeps growing for as long as its window is open.
    void limpa_erros() { erros_.clear(); }
    void limpa() {
        erros_.clear();
        mensagens_.clear();
    }

  private:
    std::string erros_;
    std::string mensagens_;
};

// Appends `linha` to `texto` with CR LF between them when `texto` is not
// empty.
void acrescenta_linha(std::string& texto, const std::string& linha);

}  // namespace pezolva::backup
