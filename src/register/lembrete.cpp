#include "register/lembrete.h"

#include "register/bups.h"
#include "register/vencimento.h"

namespace pezolva {

bool precisa_lembrete(engine::Recordset& registo, const DateTime& agora) {
    engine::Recordset linhas = registo.Clone();
    if (linhas.IsEOF() && linhas.IsBOF()) return false;
    for (linhas.MoveFirst(); !linhas.IsEOF(); linhas.MoveNext()) {
        if (!copia_devida(linhas[bups::kDiasIntervalo], linhas[bups::kUltData],
                          linhas[bups::kUltHora], agora)) {
            continue;
        }
        if (nulo_para(linhas[bups::kUltApareceAviso], false).to_boolean().value_or(false)) {
            return true;
        }
    }
    return false;
}

Choice pergunta_lembrete() {
    return {"Cópias de Segurança", "É aconselhável fazer cópias de segurança de alguns ficheiros.",
            Icon::Question, {"&Fazer", "&Não Fazer", "&Configurar"}};
}

}  // namespace pezolva
