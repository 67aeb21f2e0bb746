#include "restore/registo_reposto.h"

#include <vector>

#include "engine/database.h"
#include "engine/quoting.h"
#include "register/bups.h"

namespace pezolva::restore {
namespace {

using engine::EngineError;

// The register's definition in `db`: its table first, then its indexes.
struct Definicao {
    std::string tabela;                // the name as stored ("BUPS", "bups"...)
    std::vector<std::string> criacao;  // the statements that make it
};

std::string definicoes_de(const std::string& esquema) {
    return "select name, sql from " + esquema +
           ".sqlite_schema where tbl_name = " + engine::quote_literal(bups::kTabela) +
           " collate nocase and sql is not null order by case type when 'table' then 0 else 1 end";
}

Definicao le_definicao(engine::Database& db, const std::string& esquema) {
    Definicao d;
    for (engine::Recordset r = db.OpenRecordset(definicoes_de(esquema)); !r.IsEOF(); r.MoveNext()) {
        if (d.tabela.empty()) d.tabela = r.Fields(std::size_t{0}).to_text();
        d.criacao.push_back(r.Fields(std::size_t{1}).to_text());
    }
    return d;
}

// The live register's definition; none (no table name) when it cannot be
// read.
Definicao definicao_viva(const std::string& viva, const std::string& ligacao) {
    try {
        engine::Database db = engine::OpenHeldDatabase(viva, ligacao);
        return le_definicao(db, "main");
    } catch (const EngineError&) {
        return {};
    }
}

void copia_registo(engine::Database& novo, const Definicao& viva) {
    const Definicao antiga = le_definicao(novo, "main");
    if (!antiga.tabela.empty())
        novo.Execute("drop table main." + engine::quote_identifier(antiga.tabela));
    for (const std::string& criacao : viva.criacao) novo.Execute(criacao);
    const std::string tabela = engine::quote_identifier(viva.tabela);
    novo.Execute("insert into main." + tabela + " select * from pz_viva." + tabela);
}

}  // namespace

bool transporta_registo(const std::string& viva, const std::string& novo,
                        const std::string& ligacao) {
    const Definicao definicao = definicao_viva(viva, ligacao);
    if (definicao.tabela.empty()) return false;
    engine::Database db = engine::OpenDatabase(novo, false, false, ligacao);
    db.Execute("attach database " + engine::quote_literal(viva) + " as pz_viva");
    {
        engine::Transaction transaccao(db);  // all of it, or nothing
        copia_registo(db, definicao);
        transaccao.Commit();
    }
    db.Execute("detach database pz_viva");
    return true;
}

}  // namespace pezolva::restore
