#include "importacao/relacoes_jet.h"

#include <strings.h>

#include <algorithm>

namespace pezolva::importacao {
namespace {

const Celula* por_nome(const TabelaJet& def, const std::vector<Celula>& celulas, const char* nome) {
    for (std::size_t i = 0; i < def.colunas.size() && i < celulas.size(); ++i) {
        if (strcasecmp(def.colunas[i].nome.c_str(), nome) == 0) return &celulas[i];
    }
    return nullptr;
}

std::string texto(const TabelaJet& def, const std::vector<Celula>& celulas, const char* nome) {
    const Celula* c = por_nome(def, celulas, nome);
    return c && c->tipo == Celula::Tipo::Texto ? c->texto : std::string();
}

long numero(const TabelaJet& def, const std::vector<Celula>& celulas, const char* nome) {
    const Celula* c = por_nome(def, celulas, nome);
    return c && c->tipo == Celula::Tipo::Inteiro ? static_cast<long>(c->inteiro) : 0;
}

}  // namespace

LinhaRelacao linha_relacao(const TabelaJet& def, const std::vector<Celula>& c) {
    return {texto(def, c, "szRelationship"),
            texto(def, c, "szReferencedObject"),
            texto(def, c, "szReferencedColumn"),
            texto(def, c, "szObject"),
            texto(def, c, "szColumn"),
            numero(def, c, "icolumn"),
            numero(def, c, "grbit")};
}

std::vector<RelacaoJet> agrupa_relacoes(std::vector<LinhaRelacao> linhas) {
    std::stable_sort(
        linhas.begin(), linhas.end(),
        [](const LinhaRelacao& a, const LinhaRelacao& b) { return a.ordem < b.ordem; });
    std::vector<RelacaoJet> relacoes;
    for (const LinhaRelacao& l : linhas) {
        auto r = std::find_if(relacoes.begin(), relacoes.end(),
                              [&](const RelacaoJet& x) { return x.nome == l.relacao; });
        if (r == relacoes.end()) {
            relacoes.push_back({l.relacao,
                                l.tabela,
                                l.tabela_estrangeira,
                                {},
                                (l.grbit & 2) == 0,
                                (l.grbit & 256) != 0,
                                (l.grbit & 4096) != 0});
            r = relacoes.end() - 1;
        }
        r->campos.emplace_back(l.campo, l.campo_estrangeiro);
    }
    return relacoes;
}

}  // namespace pezolva::importacao
