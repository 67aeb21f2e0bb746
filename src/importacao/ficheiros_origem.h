#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pezolva::importacao {

// The files of the source folder, looked up by name without regard to
// letter case (as the original platform's file system does), each found
// under the name it really has.
class FicheirosOrigem {
  public:
    // Lists the folder; ErroImportacao when it cannot be read.
    explicit FicheirosOrigem(std::string pasta);

    const std::string& pasta() const { return pasta_; }
    // The file's real name, or nullopt.
    std::optional<std::string> procura(const std::string& nome) const;
    // The databases (.mdb) that are neither dated copies nor copies of
    // another file, by real name.
    std::vector<std::string> bases() const;
    // ErroImportacao when the original's lock file (.ldb) is beside
    // `nome`: someone has it open.
    void confirma_livre(const std::string& nome) const;

  private:
    std::string pasta_;
    std::vector<std::string> nomes_;
};

// True for names the original and this component give to copies: a dated
// backup ("obras_2005-05-19_1407.mdb", "obras 20050519.mdb") or a copy
// made by hand ("Cópia de obras.mdb", "Copy of obras.mdb", "obras - Copy.mdb").
bool nome_de_copia(const std::string& nome);

}  // namespace pezolva::importacao
