#include "register/percurso.h"

#include "engine/error.h"
#include "register/bups.h"
#include "register/vencimento.h"

namespace pezolva {

void cada_linha(const engine::Recordset& registo,
                const std::function<void(const engine::Recordset&)>& por_linha) {
    engine::Recordset linhas = registo.Clone();
    if (linhas.IsEOF() && linhas.IsBOF()) return;
    for (linhas.MoveFirst(); !linhas.IsEOF(); linhas.MoveNext()) {
        try {
            por_linha(linhas);
        } catch (const engine::EngineError& e) {
            if (e.numero() != engine::ErroRegistoEliminado) throw;
        }
    }
}

bool linha_devida(const engine::Recordset& linha, const DateTime& agora) {
    return copia_devida(linha[bups::kDiasIntervalo], linha[bups::kUltData], linha[bups::kUltHora],
                        agora);
}

std::vector<std::string> nomes_das_bases(const engine::Recordset& registo) {
    std::vector<std::string> nomes;
    cada_linha(registo, [&](const engine::Recordset& linha) {
        nomes.push_back(linha[bups::kNomeBd].to_text());
    });
    return nomes;
}

std::vector<std::string> bases_devidas(const engine::Recordset& registo, const DateTime& agora) {
    std::vector<std::string> devidas;
    cada_linha(registo, [&](const engine::Recordset& linha) {
        if (linha_devida(linha, agora)) devidas.push_back(linha[bups::kNomeBd].to_text());
    });
    return devidas;
}

}  // namespace pezolva
