#include "register/bups.h"

#include "common/text.h"
#include "engine/field_types.h"
#include "engine/quoting.h"
#include "register/tentativas.h"

namespace pezolva {
namespace {

using engine::quote_literal;

struct Coluna {
    const char* nome;
    int tipo;
    int tamanho;
};

// The sixteen columns as the table is created, in order.
const Coluna kColunas[] = {
    {bups::kNomeBd, engine::TipoTexto, 25},
    {bups::kDiasIntervalo, engine::TipoInteiro, 0},
    {bups::kCopiasAManter, engine::TipoInteiro, 0},
    {bups::kCaminhoDestino, engine::TipoTexto, 255},
    {bups::kUltData, engine::TipoDataHora, 0},
    {bups::kUltHora, engine::TipoDataHora, 0},
    {bups::kUltDuracao, engine::TipoInteiro, 0},
    {bups::kUltDestino, engine::TipoTexto, 255},
    {bups::kUltTamanho, engine::TipoLongo, 0},
    {bups::kUltCompactar, engine::TipoSimNao, 0},
    {bups::kUltNRegistos, engine::TipoLongo, 0},
    {bups::kUltNomeEstrutura, engine::TipoTexto, 40},
    {bups::kUltApareceAviso, engine::TipoSimNao, 0},
    {bups::kUltUtilizador, engine::TipoTexto, 50},
    {bups::kVersao, engine::TipoTexto, 15},
    {bups::kPasswd, engine::TipoTexto, 40},
};

std::string insercao(const std::string& nome_bd, int dias, int copias, const std::string& destino,
                     const char* estrutura, bool aviso, const char* passwd) {
    std::string colunas, valores;
    for (const Coluna& c : kColunas) colunas += (colunas.empty() ? "" : ", ") + std::string(c.nome);
    valores = quote_literal(nome_bd) + ", " + std::to_string(dias) + ", " + std::to_string(copias) +
              ", " + quote_literal(destino) + ", Null, Null, Null, Null, Null, Null, Null, " +
              quote_literal(estrutura) + ", " + (aviso ? "1" : "0") + ", Null, " +
              quote_literal(bups::kVersaoAntiga) + ", " +
              (passwd != nullptr ? quote_literal(passwd) : std::string("Null"));
    return "insert into BUPS (" + colunas + ") values (" + valores + ")";
}

}  // namespace

std::vector<std::string> linhas_omissao(const ProjectoActual& projecto) {
    // Only the main databases named "brasol.mdb" have companions the
    // component knows; the other products' registers start empty.
    if (!iequals(projecto.nome_bd, "brasol.mdb")) return {};
    const std::string destino = projecto.caminho + "/" + bups::kPastaCopias;
    return {
        insercao(projecto.nome_bd, 1, 5, destino, "estr_b.ebd", true, "kqa730418"),
        insercao("brasol_fotos.mdb", 30, 1, destino, "estr_f.ebd", false, nullptr),
        insercao("log.mdb", 30, 1, destino, "estr_l.ebd", false, "logkqa730412"),
    };
}

std::string ligacao_da_linha(const Value& passwd) {
    return passwd.is_null() ? "" : ";pwd=" + passwd.to_text();
}

std::string versao_do_registo(engine::Database& db) {
    try {
        engine::Recordset rs = db.OpenRecordset(bups::kTabela);
        if (rs.IsEOF()) return {};
        return rs[bups::kVersao].to_text();
    } catch (const engine::EngineError&) {
        return {};
    }
}

void insere_bups_omissao(engine::Database& db, const ProjectoActual& projecto) {
    for (const std::string& linha : linhas_omissao(projecto)) db.Execute(linha);
}

bool cria_bups(engine::Database& db, const ProjectoActual& projecto, Dialogs& dialogs) {
    Tentativas tentativas(dialogs, kApplicationTitle, Icon::None,
                          "A criação da tabela BUPS foi abandonada.");
    engine::TableDef tabela = db.CreateTableDef(bups::kTabela);
    for (const Coluna& c : kColunas) {
        tabela.AppendField(engine::TableDef::CreateField(c.nome, c.tipo, c.tamanho));
    }
    engine::Index chave = engine::TableDef::CreateIndex(bups::kChavePrimaria);
    chave.AppendField(bups::kNomeBd);
    chave.SetRequired(true);
    chave.SetPrimary(true);
    tabela.AppendIndex(chave);
    if (!tentativas.executa([&] { db.AppendTableDef(tabela); })) return false;
    for (const std::string& linha : linhas_omissao(projecto)) {
        if (!tentativas.executa([&] { db.Execute(linha); })) return false;
    }
    return true;
}

}  // namespace pezolva
