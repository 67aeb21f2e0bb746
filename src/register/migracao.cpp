#include "register/migracao.h"

#include "engine/field_types.h"
#include "register/bups.h"
#include "register/tentativas.h"

namespace pezolva {
namespace {

void migra(engine::Database& db) {
    engine::Transaction transaccao(db);
    // Another start may have migrated it since its version was read.
    if (versao_do_registo(db) != bups::kVersaoAntiga) return;
    engine::TableDef tabela = db.TableDef(bups::kTabela);
    tabela.DeleteIndex(bups::kChavePrimaria);
    tabela.AppendField(engine::TableDef::CreateField("NOME_TEMP", engine::TipoTexto, 255));
    tabela.AppendField(engine::TableDef::CreateField("EST_TEMP", engine::TipoTexto, 255));
    db.Execute("update BUPS set NOME_TEMP=BUP_NOME_BD ");
    db.Execute("update BUPS set EST_TEMP=BUP_ULT_NOME_ESTRUTURA ");
    tabela.DeleteField(bups::kNomeBd);
    tabela.DeleteField(bups::kUltNomeEstrutura);
    tabela.AppendField(engine::TableDef::CreateField(bups::kNomeBd, engine::TipoTexto, 255));
    tabela.AppendField(
        engine::TableDef::CreateField(bups::kUltNomeEstrutura, engine::TipoTexto, 255));
    db.Execute("update BUPS set BUP_NOME_BD=NOME_TEMP ");
    db.Execute("update BUPS set BUP_ULT_NOME_ESTRUTURA=EST_TEMP ");
    tabela.DeleteField("NOME_TEMP");
    tabela.DeleteField("EST_TEMP");
    engine::Index chave = engine::TableDef::CreateIndex(bups::kChavePrimaria);
    chave.AppendField(bups::kNomeBd);
    chave.SetPrimary(true);
    tabela.AppendIndex(chave);
    db.Execute("update BUPS set BUP_VERSAO='030930'");
    transaccao.Commit();
}

}  // namespace

bool migra_bups(engine::Database& db, Dialogs& dialogs) {
    Tentativas tentativas(dialogs, "Atenção", Icon::Information,
                          "A actualização da tabela BUPS foi abandonada; a tabela ficou como "
                          "estava.");
    return tentativas.executa([&] { migra(db); });
}

}  // namespace pezolva
