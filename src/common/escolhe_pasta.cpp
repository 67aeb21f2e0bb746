#include "common/escolhe_pasta.h"

#include "common/text.h"

namespace pezolva {

std::string escolhe_pasta(Dialogs& dialogs, const std::string& inicio,
                          const std::string& mensagem) {
    const std::string prompt = mensagem.empty() ? "Seleccione a pasta" : mensagem;
    auto escolhida = dialogs.choose_folder(trim(inicio), prompt);
    return escolhida ? *escolhida : inicio;
}

}  // namespace pezolva
