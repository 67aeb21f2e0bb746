#include "register/lembrete.h"

#include "engine/database.h"
#include "register/bups.h"
#include "register/percurso.h"

namespace pezolva {

bool precisa_lembrete(engine::Recordset& registo, const DateTime& agora) {
    bool precisa = false;
    cada_linha(registo, [&](const engine::Recordset& linha) {
        precisa = precisa ||
                  (linha_devida(linha, agora) &&
                   nulo_para(linha[bups::kUltApareceAviso], false).to_boolean().value_or(false));
    });
    return precisa;
}

DecisaoLembrete decide_lembrete(const ProjectoActual& projecto, const DateTime& agora) {
    DecisaoLembrete decisao;
    if (!projecto.faz_copias) return decisao;
    engine::Database principal =
        engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
    engine::Recordset registo = principal.OpenRecordset("BUPS");
    decisao.perguntar = precisa_lembrete(registo, agora);
    if (decisao.perguntar) decisao.devidas = bases_devidas(registo, agora);
    return decisao;
}

Choice pergunta_lembrete() {
    return {"Cópias de Segurança",
            "É aconselhável fazer cópias de segurança de alguns ficheiros.",
            Icon::Question,
            {"&Fazer", "&Não Fazer", "&Configurar"}};
}

}  // namespace pezolva
