#include "testproject/divergencias.h"

#include <stdexcept>

#include "common/text.h"
#include "engine/field_types.h"
#include "engine/quoting.h"
#include "testproject/detail/recria.h"

namespace pezolva::testproject {
namespace {

using engine::quote_identifier;

engine::Field& campo_de(detail::Definicao& d, const std::string& campo) {
    for (engine::Field& f : d.campos) {
        if (iequals(f.Name(), campo)) return f;
    }
    throw engine::item_not_found(campo);
}

// A field's value as an SQL literal.
std::string literal(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Null:
            return "NULL";
        case Value::Kind::Boolean:
            return *v.to_boolean() ? "1" : "0";
        case Value::Kind::Integer:
            return std::to_string(*v.to_integer());
        default:
            return engine::quote_literal(
                v.to_text());  // reals as text keep their digits; SQLite converts
    }
}

std::int64_t inteiro(engine::Database& db, const std::string& sql) {
    engine::Recordset rs = db.OpenRecordset(sql);
    return rs.Fields(std::size_t{0}).to_integer().value_or(0);
}

}  // namespace

void muda_tamanho(engine::Database& db, const std::string& tabela, const std::string& campo,
                  int tamanho) {
    detail::Definicao d = detail::le_definicao(db, tabela);
    engine::Field& f = campo_de(d, campo);
    if (f.Type() != engine::TipoTexto) {
        throw std::invalid_argument("O campo " + tabela + "." + campo +
                                    " não é de texto: o tamanho é o do tipo.");
    }
    f = engine::Field::FromDeclared(f.Name(), engine::declared_type_for(engine::TipoTexto, tamanho),
                                    f.Required());
    detail::recria_tabela(db, d);
}

void muda_tipo(engine::Database& db, const std::string& tabela, const std::string& campo,
               const std::string& tipo) {
    detail::Definicao d = detail::le_definicao(db, tabela);
    engine::Field& f = campo_de(d, campo);
    f = engine::Field::FromDeclared(f.Name(), tipo, f.Required());
    detail::recria_tabela(db, d);
}

void apaga_indice(engine::Database& db, const std::string& tabela, const std::string& indice) {
    engine::TableDef t = db.TableDef(tabela);
    t.DeleteIndex(indice);
}

void apaga_tabela(engine::Database& db, const std::string& tabela) { db.DeleteTableDef(tabela); }

void apaga_campo(engine::Database& db, const std::string& tabela, const std::string& campo) {
    engine::TableDef t = db.TableDef(tabela);
    t.DeleteField(campo);
}

void apaga_relacao(engine::Database& db, const std::string& relacao) {
    const engine::Relation& r = db.Relations()[relacao];
    detail::Definicao d = detail::le_definicao(db, r.ForeignTable());
    std::erase_if(d.relacoes,
                  [&](const engine::Relation& x) { return iequals(x.Name(), relacao); });
    detail::recria_tabela(db, d);
}

void acrescenta_relacao(engine::Database& db, const NovaRelacao& relacao) {
    if (db.Relations().Contains(relacao.nome)) {
        throw std::invalid_argument("Já existe a relação " + relacao.nome + " em " + db.path() +
                                    ".");
    }
    if (relacao.campos_mae.size() != relacao.campos_filha.size() || relacao.campos_mae.empty()) {
        throw std::invalid_argument("A relação " + relacao.nome +
                                    " precisa de tantos campos na tabela " + relacao.mae +
                                    " como na tabela " + relacao.filha + ".");
    }
    db.TableDef(relacao.mae);  // ErroItemInexistente when it is not there
    detail::Definicao d = detail::le_definicao(db, relacao.filha);
    std::vector<engine::RelationField> campos;
    for (std::size_t k = 0; k < relacao.campos_mae.size(); ++k) {
        campos.push_back({relacao.campos_mae[k], campo_de(d, relacao.campos_filha[k]).Name()});
    }
    d.relacoes.emplace_back(relacao.nome, relacao.mae, d.nome, std::move(campos), "NO ACTION",
                            "NO ACTION");
    detail::recria_tabela(db, d);
}

void cria_ciclo_mutuo(engine::Database& db) {
    acrescenta_relacao(
        db, {kRelacaoSede, "quarteis", {"id_quartel"}, "corporacoes", {"id_quartel_sede"}});
}

void cria_auto_relacao(engine::Database& db) {
    acrescenta_relacao(
        db, {kRelacaoSuperior, "bombeiros", {"id_bombeiro"}, "bombeiros", {"id_superior"}});
}

void muda_versao(engine::Database& db, const std::optional<std::string>& versao) {
    db.Execute("UPDATE parametros SET versao = " +
               (versao ? engine::quote_literal(*versao) : std::string("NULL")));
    if (db.RecordsAffected() == 0) {
        throw std::runtime_error("A tabela parametros de " + db.path() + " não tem nenhuma linha.");
    }
}

std::int64_t insere_variante(engine::Database& db, const std::string& tabela,
                             const std::map<std::string, Value>& alteracoes) {
    const engine::TableDef t = db.TableDef(tabela);
    const engine::Index* chave = nullptr;
    for (const engine::Index& i : t.Indexes()) {
        if (i.Primary()) chave = &i;
    }
    if (chave == nullptr || chave->Fields().size() != 1 ||
        !engine::is_numeric_code(t.Fields()[chave->Fields().front()].Type())) {
        throw std::invalid_argument("A tabela " + tabela +
                                    " não tem uma chave de um só campo numérico.");
    }
    for (const auto& [campo, valor] : alteracoes)
        (void)t.Fields()[campo];  // ErroItemInexistente for a stranger
    const std::string nome = quote_identifier(t.Name());
    const std::string campo_chave = chave->Fields().front();
    if (inteiro(db, "SELECT count(*) FROM " + nome) == 0) {
        throw std::invalid_argument("A tabela " + tabela + " não tem nenhuma linha para copiar.");
    }
    const std::int64_t nova =
        inteiro(db, "SELECT max(" + quote_identifier(campo_chave) + ") FROM " + nome) + 1;

    std::string colunas, valores;
    for (const engine::Field& f : t.Fields()) {
        colunas += (colunas.empty() ? "" : ", ") + quote_identifier(f.Name());
        std::string valor = quote_identifier(f.Name());
        if (iequals(f.Name(), campo_chave)) valor = std::to_string(nova);
        for (const auto& [campo, v] : alteracoes) {
            if (iequals(campo, f.Name())) valor = literal(v);
        }
        valores += (valores.empty() ? "" : ", ") + valor;
    }
    db.Execute("INSERT INTO " + nome + " (" + colunas + ") SELECT " + valores + " FROM " + nome +
               " WHERE _rowid_ = (SELECT max(_rowid_) FROM " + nome + ")");
    return nova;
}

std::string insere_linha_tipo_errado(engine::Database& db) {
    insere_variante(db, "ocorrencias", {{"n_vitimas", Value("várias")}});
    return "ocorrencias";
}

std::string insere_linha_orfa(engine::Database& db) {
    const std::int64_t ninguem =
        inteiro(db, "SELECT coalesce(max(id_bombeiro), 0) + 1 FROM bombeiros");
    insere_variante(db, "turnos", {{"id_bombeiro", Value(ninguem)}});
    return "turnos";
}

}  // namespace pezolva::testproject
