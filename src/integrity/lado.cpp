#include "integrity/lado.h"

#include "common/text.h"
#include "common/value.h"

namespace pezolva::integrity {

std::string chave(std::string_view nome) { return fold_case(nome); }

bool tabela_de_sistema(std::string_view nome) { return istarts_with(nome, "msys"); }

Lado::Lado(std::string nome, engine::Database base)
    : nome_(std::move(nome)), base_(std::move(base)) {}

bool Lado::abre_versao() {
    try {
        versao_ = base_.OpenRecordset("select versao from parametros");
        return true;
    } catch (const engine::EngineError&) {
        return false;
    }
}

std::string Lado::le_versao() const {
    return nulo_para(versao_.Fields(std::size_t{0}), Value(std::string())).to_text();
}

const std::vector<TabelaLida>& Lado::tabelas() {
    if (tabelas_) return *tabelas_;
    std::vector<TabelaLida> lidas;
    for (const engine::TableDef& t : base_.TableDefs()) {
        TabelaLida tabela{t.Name(), chave(t.Name()), {}, {}};
        for (const engine::Field& f : t.Fields()) {
            tabela.campos.push_back({f.Name(), chave(f.Name()), f.Type(), f.Size()});
        }
        for (const engine::Index& i : t.Indexes())
            tabela.indices.push_back({i.Name(), chave(i.Name())});
        lidas.push_back(std::move(tabela));
    }
    for (std::size_t i = 0; i < lidas.size(); ++i) por_tabela_.emplace(lidas[i].chave, i);
    tabelas_ = std::move(lidas);
    return *tabelas_;
}

const TabelaLida* Lado::procura_tabela(const std::string& chave) {
    const std::vector<TabelaLida>& lista = tabelas();
    const auto it = por_tabela_.find(chave);
    return it == por_tabela_.end() ? nullptr : &lista[it->second];
}

namespace {

// One key for a relation's name and its table; "\x1f" cannot be part of a
// name the engine keeps.
std::string chave_relacao(const std::string& chave, const std::string& chave_tabela) {
    return chave + '\x1f' + chave_tabela;
}

}  // namespace

const std::vector<RelacaoLida>& Lado::relacoes() {
    if (relacoes_) return *relacoes_;
    std::vector<RelacaoLida> lidas;
    for (const engine::Relation& r : base_.Relations()) {
        lidas.push_back({r.Name(), chave(r.Name()), r.ForeignTable(), chave(r.ForeignTable())});
    }
    for (std::size_t i = 0; i < lidas.size(); ++i) {
        por_relacao_.emplace(chave_relacao(lidas[i].chave, lidas[i].chave_tabela), i);
    }
    relacoes_ = std::move(lidas);
    return *relacoes_;
}

const RelacaoLida* Lado::procura_relacao(const std::string& chave,
                                         const std::string& chave_tabela) {
    const std::vector<RelacaoLida>& lista = relacoes();
    const auto it = por_relacao_.find(chave_relacao(chave, chave_tabela));
    return it == por_relacao_.end() ? nullptr : &lista[it->second];
}

Totais Lado::totais() {
    Totais t;
    for (const TabelaLida& tabela : tabelas()) {
        ++t.tabelas;
        if (tabela_de_sistema(tabela.nome)) continue;
        t.campos += static_cast<std::int64_t>(campos(tabela).size());
        t.indices += static_cast<std::int64_t>(indices(tabela).size());
    }
    t.relacoes = static_cast<std::int64_t>(relacoes().size());
    return t;
}

}  // namespace pezolva::integrity
