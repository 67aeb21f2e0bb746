#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pezolva::cli {

// Exit status of every subcommand.
enum Saida : int { kSucesso = 0, kFalhou = 1, kUsoErrado = 2 };

// Wrong use of the command line: the message is printed with the usage.
struct UsoErrado {
    std::string mensagem;
};

// The arguments of one subcommand: options ("--name value" or "--flag")
// and positional words, in order.
class Argumentos {
  public:
    // `com_valor`: the options that take a value; `sem_valor`: the flags.
    // Throws UsoErrado for an unknown option or a missing value.
    Argumentos(const std::vector<std::string>& args, const std::vector<std::string>& com_valor,
               const std::vector<std::string>& sem_valor);

    bool tem(const std::string& opcao) const;
    std::optional<std::string> valor(const std::string& opcao) const;
    const std::vector<std::string>& posicionais() const { return posicionais_; }
    // Throws UsoErrado unless there are between `minimo` and `maximo` words.
    void exige_posicionais(std::size_t minimo, std::size_t maximo) const;

  private:
    std::vector<std::pair<std::string, std::string>> opcoes_;
    std::vector<std::string> posicionais_;
};

// The password of a project, from (in this order) the environment variable
// PEZOLVA_PASSWORD (set but empty means an empty password), the file named
// by --password-file (its first line), or the terminal without echo.  Never
// from the command line, where any local user could read it.
// Throws std::runtime_error (a failure, exit 1: the command was right) when
// none of them can give it or the file cannot be read.
std::string obtem_password(const Argumentos& args, const std::string& pergunta);

// PEZOLVA_PASSWORD, read once and then taken out of this process's
// environment, so that no program it starts (the compaction tool, the
// workstation's set-up) inherits it.  main calls it first of all.
const std::optional<std::string>& palavra_passe_do_ambiente();

}  // namespace pezolva::cli
