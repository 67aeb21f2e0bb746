#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "offsite/processo.h"

namespace pezolva::offsite {

// What went wrong with the repository, told apart by what restic reports
// (it ends with status 1 and English text for all of them).
enum class Falha {
    SemRestic,       // the program is not installed
    PasswordErrada,  // wrong password or no key found
    SemRepositorio,  // nothing there is a repository
    Inacessivel,     // the place cannot be reached (network, SSH, a server)
    Cheio,           // no space left where the repository lives
    Bloqueado,       // another process holds its lock
    JaExiste,        // init on an existing repository
    Interrompido,    // a signal stopped it
    Outra,
};

// A failure of restic, with its Portuguese explanation as what() and
// restic's own last line kept for the logs.
class ErroRestic : public std::runtime_error {
  public:
    ErroRestic(Falha falha, const std::string& mensagem, std::string detalhe)
        : std::runtime_error(mensagem), falha_(falha), detalhe_(std::move(detalhe)) {}
    Falha falha() const { return falha_; }
    const std::string& detalhe() const { return detalhe_; }

  private:
    Falha falha_;
    std::string detalhe_;
};

// The Portuguese sentence for a kind of failure of `repositorio`.
std::string explica(Falha falha, const std::string& repositorio);
// The kind of failure that restic's standard error `erros` reports.
Falha classifica(const std::string& erros);

// A snapshot as restic lists it.
struct Instantaneo {
    std::string id;
    std::string hora;  // as restic gives it (RFC 3339)
    std::vector<std::string> caminhos;
    std::vector<std::string> etiquetas;
};

struct Envio {
    std::string id;                 // the new snapshot
    std::uint64_t bytes_novos = 0;  // what the repository grew by ("data_added")
    std::uint64_t bytes = 0;        // what was read
};

// One repository driven through the restic program.  The password only
// ever travels as the path of its file, in RESTIC_PASSWORD_FILE of
// restic's own environment.  Every failure throws ErroRestic.
class Restic {
  public:
    Restic(Processos& processos, std::string repositorio, std::string ficheiro_password,
           std::string comando_sftp = "")
        : processos_(processos),
          repositorio_(std::move(repositorio)),
          ficheiro_password_(std::move(ficheiro_password)),
          comando_sftp_(std::move(comando_sftp)) {}

    const std::string& repositorio() const { return repositorio_; }

    void init();
    // Opens the repository (the password checked); throws when it cannot.
    void abre();
    // Sends `ficheiro` as a snapshot with `etiquetas`, dated `hora`
    // ("yyyy-mm-dd hh:nn:ss").
    Envio envia(const std::string& ficheiro, const std::vector<std::string>& etiquetas,
                const std::string& hora);
    // Sends several files as one snapshot.
    Envio envia_varios(const std::vector<std::string>& ficheiros,
                       const std::vector<std::string>& etiquetas);
    // Sends `conteudo` as a file named `nome` (restic backup --stdin).
    Envio envia_texto(const std::string& conteudo, const std::string& nome,
                      const std::vector<std::string>& etiquetas);
    // The snapshots that carry every one of `etiquetas`.
    std::vector<Instantaneo> lista(const std::vector<std::string>& etiquetas);
    // Keeps the newest `manter` snapshots carrying every one of `etiquetas`
    // (whatever their host and path) and forgets the rest; `prune` also
    // frees their data, under the repository's exclusive lock.
    void esquece(const std::vector<std::string>& etiquetas, int manter, bool prune);
    void esquece_instantaneo(const std::string& id);
    void prune();
    // Writes the file `caminho` of snapshot `id` to the open descriptor `fd`.
    void extrai(const std::string& id, const std::string& caminho, int fd);
    // restic check; `amostra` ("1%", "1/10") also reads that part of the data.
    // The report's text when sound; throws otherwise.
    std::string verifica(const std::optional<std::string>& amostra);

  private:
    ResultadoProcesso corre(std::vector<std::string> args, const std::string& entrada = "",
                            std::optional<int> saida_para = std::nullopt);
    [[noreturn]] void falhou(const ResultadoProcesso& r) const;

    Processos& processos_;
    std::string repositorio_;
    std::string ficheiro_password_;
    std::string comando_sftp_;
};

}  // namespace pezolva::offsite
