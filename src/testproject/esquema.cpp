#include "testproject/esquema.h"

#include "common/text.h"
#include "engine/quoting.h"

namespace pezolva::testproject {
namespace {

std::string juntos(const std::vector<std::string>& nomes) {
    std::string out;
    for (const std::string& nome : nomes) out += (out.empty() ? "" : ",") + nome;
    return out;
}

}  // namespace

bool tabela_de_sistema(const std::string& nome) { return istarts_with(nome, "MSys"); }

std::map<std::string, std::int64_t> conta_linhas(engine::Database& db) {
    std::map<std::string, std::int64_t> linhas;
    for (const engine::TableDef& t : db.TableDefs()) {
        if (tabela_de_sistema(t.Name())) continue;
        engine::Recordset rs =
            db.OpenRecordset("SELECT count(*) FROM " + engine::quote_identifier(t.Name()));
        linhas[t.Name()] = rs.Fields(std::size_t{0}).to_integer().value_or(0);
    }
    return linhas;
}

std::map<std::string, std::int64_t> conta_linhas(const std::string& caminho,
                                                 const std::string& palavra_passe) {
    engine::Database db = engine::OpenDatabase(caminho, false, true, ";pwd=" + palavra_passe);
    return conta_linhas(db);
}

std::set<std::string> descreve_esquema(engine::Database& db) {
    std::set<std::string> linhas;
    for (const engine::TableDef& t : db.TableDefs()) {
        if (tabela_de_sistema(t.Name())) continue;
        linhas.insert("tabela " + t.Name());
        for (const engine::Field& f : t.Fields()) {
            linhas.insert("campo " + t.Name() + "." + f.Name() + " tipo " +
                          std::to_string(f.Type()) + " tamanho " + std::to_string(f.Size()) +
                          (f.Required() ? " obrigatório" : ""));
        }
        for (const engine::Index& i : t.Indexes()) {
            linhas.insert("índice " + t.Name() + "." + i.Name() + " (" + juntos(i.Fields()) + ")" +
                          (i.Unique() ? " único" : "") + (i.Primary() ? " primário" : ""));
        }
    }
    for (const engine::Relation& r : db.Relations()) {
        std::vector<std::string> mae, filha;
        for (const engine::RelationField& f : r.Fields()) {
            mae.push_back(f.Name);
            filha.push_back(f.ForeignName);
        }
        linhas.insert("relação " + r.Name() + " " + r.Table() + "(" + juntos(mae) + ") <- " +
                      r.ForeignTable() + "(" + juntos(filha) + ")");
    }
    return linhas;
}

std::optional<Value> versao_de(engine::Database& db) {
    if (!db.TableDefs().Contains("parametros")) return std::nullopt;
    engine::Recordset rs = db.OpenRecordset("SELECT versao FROM parametros");
    if (rs.IsEOF()) return std::nullopt;
    return rs.Fields("versao");
}

}  // namespace pezolva::testproject
