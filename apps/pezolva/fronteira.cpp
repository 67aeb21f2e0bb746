#include "fronteira.h"

#include <exception>

#include "pezolva/operacoes.h"

namespace pezolva::cli {

bool fronteira(const std::function<void()>& accao) {
    try {
        accao();
        return true;
    } catch (const std::exception& e) {
        operacoes::mostra_erro(e);
    }
    return false;
}

}  // namespace pezolva::cli
