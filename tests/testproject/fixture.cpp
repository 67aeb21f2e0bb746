#include "testproject/fixture.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "engine/quoting.h"

namespace pezolva::testproject {

Projecto ProjectoTeste::cria(std::int64_t linhas, Opcoes opcoes, const std::string& outra) {
    opcoes.linhas = linhas;
    return cria_projecto(outra.empty() ? pasta() : outra, opcoes);
}

const Projecto& ProjectoTeste::modelo() {
    static const testing::TempDir pasta;
    static const Projecto projecto = [] {
        Opcoes o;
        o.linhas = 300;
        return cria_projecto(pasta.file("modelo"), o);
    }();
    return projecto;
}

Projecto ProjectoTeste::copia_do_modelo() {
    Projecto p = modelo();
    p.pasta = pasta();
    std::filesystem::create_directories(p.pasta);
    for (BaseDados* bd : {&p.principal, &p.fotos, &p.log}) {
        for (std::string* f : {&bd->caminho, &bd->estrutura}) {
            const std::string novo = ficheiro(std::filesystem::path(*f).filename().string());
            std::filesystem::copy_file(*f, novo);
            *f = novo;
        }
    }
    return p;
}

ProjectoTeste::Conteudo ProjectoTeste::conteudo(engine::Database& db) {
    Conteudo c;
    for (const engine::TableDef& t : db.TableDefs()) {
        if (tabela_de_sistema(t.Name())) continue;
        std::string texto;
        std::int64_t linhas = 0;
        engine::Recordset rs = db.OpenRecordset(
            "SELECT * FROM " + engine::quote_identifier(t.Name()) + " ORDER BY 1, 2");
        for (; !rs.IsEOF(); rs.MoveNext(), ++linhas) {
            for (std::size_t k = 0; k < rs.FieldDefs().Count(); ++k)
                texto += rs.Fields(k).to_text() + "|";
            texto += "\n";
        }
        c[t.Name()] =
            std::to_string(linhas) + " linhas, " + std::to_string(std::hash<std::string>{}(texto));
    }
    return c;
}

ProjectoTeste::Conteudo ProjectoTeste::conteudo(const std::string& caminho,
                                                const std::string& palavra_passe) {
    engine::Database db = engine::OpenDatabase(caminho, false, true, ";pwd=" + palavra_passe);
    return conteudo(db);
}

std::map<std::string, std::int64_t> ProjectoTeste::copia_para_estrutura(const BaseDados& bd) {
    const std::string copia =
        dir_.file("copia_" + std::filesystem::path(bd.caminho).filename().string());
    std::filesystem::remove(copia);
    std::filesystem::copy_file(bd.estrutura, copia);
    std::map<std::string, std::int64_t> linhas;
    engine::Database destino = engine::OpenDatabase(copia, false, false, bd.ligacao());
    engine::Database origem = abre(bd);
    destino.Execute("DELETE FROM parametros");
    for (const engine::TableDef& t : destino.TableDefs()) {
        if (tabela_de_sistema(t.Name())) continue;
        origem.Execute("insert into " + engine::quote_identifier(t.Name()) + " in " +
                       engine::quote_literal(copia) + " select * from " +
                       engine::quote_identifier(t.Name()));
        linhas[t.Name()] = origem.RecordsAffected();
    }
    return linhas;
}

std::set<std::string> ProjectoTeste::so_em(const std::set<std::string>& a,
                                           const std::set<std::string>& b) {
    std::set<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.end()));
    return out;
}

std::int64_t ProjectoTeste::violacoes(engine::Database& db) {
    engine::Recordset rs = db.OpenRecordset("SELECT count(*) FROM pragma_foreign_key_check");
    return rs.Fields(std::size_t{0}).to_integer().value_or(-1);
}

}  // namespace pezolva::testproject
