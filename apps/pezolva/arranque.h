#pragma once

#include <functional>
#include <optional>
#include <string>

#include "pezolva/operacoes.h"

namespace pezolva::cli {

// Shows a password question and gives the answer; nullopt when the user
// cancels.
using PedePalavraPasse = std::function<std::optional<std::string>(const std::string& pergunta)>;

// The password of a project's main database, asked until one opens it.
struct PalavraPasse {
    enum class Fim { Aceite, Cancelada, Errada } fim = Fim::Cancelada;
    std::string texto;  // when Aceite
};

// Asks for the password of the main database of `projecto` at most three
// times; each question after a wrong password says so.  Errada after three
// wrong ones.  A database that will not open for another reason (missing,
// damaged) takes the first password given: the start then says what is
// wrong.
PalavraPasse pede_palavra_passe(const operacoes::Projecto& projecto, const PedePalavraPasse& pede);

}  // namespace pezolva::cli
