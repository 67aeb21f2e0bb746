#include "register/lembrete.h"

#include "register/bups.h"
#include "register/percurso.h"

namespace pezolva {

bool precisa_lembrete(engine::Recordset& registo, const DateTime& agora) {
    bool precisa = false;
    cada_linha(registo, [&](const engine::Recordset& linha) {
        precisa = precisa || (linha_devida(linha, agora) &&
                              nulo_para(linha[bups::kUltApareceAviso], false)
                                  .to_boolean()
                                  .value_or(false));
    });
    return precisa;
}

Choice pergunta_lembrete() {
    return {"Cópias de Segurança", "É aconselhável fazer cópias de segurança de alguns ficheiros.",
            Icon::Question, {"&Fazer", "&Não Fazer", "&Configurar"}};
}

}  // namespace pezolva
