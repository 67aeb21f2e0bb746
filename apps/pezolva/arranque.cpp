#include "arranque.h"

namespace pezolva::cli {

PalavraPasse pede_palavra_passe(const operacoes::Projecto& projecto, const PedePalavraPasse& pede) {
    constexpr int kTentativas = 3;
    const std::string pergunta = "Palavra-passe da base de dados de " + projecto.nome + ":";
    for (int tentativa = 0; tentativa < kTentativas; ++tentativa) {
        const std::optional<std::string> dada =
            pede(tentativa == 0 ? pergunta : "A palavra-passe está errada.\n" + pergunta);
        if (!dada) return {PalavraPasse::Fim::Cancelada, {}};
        if (operacoes::palavra_passe_abre(projecto, *dada)) {
            return {PalavraPasse::Fim::Aceite, *dada};
        }
    }
    return {PalavraPasse::Fim::Errada, {}};
}

}  // namespace pezolva::cli
