#include "register/tentativas.h"

namespace pezolva {

bool Tentativas::executa(const std::function<void()>& passo) {
    int seguidas = 0;
    int ultimo_numero = 0;
    std::string ultima_descricao;
    for (;;) {
        try {
            passo();
            return true;
        } catch (const engine::EngineError& e) {
            const bool mesmo = e.numero() == ultimo_numero && e.descricao() == ultima_descricao;
            seguidas = mesmo ? seguidas + 1 : 1;
            ultimo_numero = e.numero();
            ultima_descricao = e.descricao();
            if (seguidas >= kMaximo) {
                informa(dialogs_, e.descricao() + "\n" + abandono_, titulo_, icone_);
                return false;
            }
            informa(dialogs_, e.descricao(), titulo_, icone_);
        }
    }
}

}  // namespace pezolva
