#pragma once

#include <functional>
#include <optional>
#include <string>

namespace pezolva {
class mnt;
}

namespace pezolva::cli {

// Makes the project current as a host's start does (mnt::actualiza_path)
// and tells whether that left it usable: actualiza_path succeeded and the
// main database exists and opens with the password.  mnt has said what is
// wrong when it fails, and when the main database is missing (it still
// succeeds then); a main database that exists but will not open is shown
// here ("número - descrição", "Erro").
bool arranca_projecto(pezolva::mnt& m, std::string caminho, std::string projecto,
                      std::string nome_bd, std::string descr, std::string passwd,
                      bool vem_de_pezolva);

// Shows a password question and gives the answer; nullopt when the user
// cancels.
using PedePalavraPasse = std::function<std::optional<std::string>(const std::string& pergunta)>;

// The password of a project's main database, asked until one opens it.
struct PalavraPasse {
    enum class Fim { Aceite, Cancelada, Errada } fim = Fim::Cancelada;
    std::string texto;  // when Aceite
};

// Asks for the password of the database at `base` at most three times; each
// question after a wrong password says so.  Errada after three wrong ones.
// A database that will not open for another reason (missing, damaged)
// takes the first password given: the start then says what is wrong.
PalavraPasse pede_palavra_passe(const std::string& base, const std::string& projecto,
                                const PedePalavraPasse& pede);

}  // namespace pezolva::cli
