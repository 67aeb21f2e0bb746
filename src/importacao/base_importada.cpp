#include "importacao/base_importada.h"

#include <set>

#include "common/text.h"
#include "engine/database.h"
#include "engine/interruption.h"
#include "engine/quoting.h"
#include "importacao/campos_importados.h"
#include "importacao/erro_importacao.h"

namespace pezolva::importacao {
namespace {

// Names SQLite keeps in one space per file (tables and indexes), without
// regard to case; the original keeps index names per table.
class Nomes {
  public:
    bool livre(const std::string& nome) const { return !usados_.count(fold_case(nome)); }
    void usa(const std::string& nome) { usados_.insert(fold_case(nome)); }
    std::string unico(const std::string& tabela, const std::string& indice) {
        std::string nome = livre(indice) ? indice : tabela + "_" + indice;
        for (int n = 2; !livre(nome); ++n) nome = tabela + "_" + indice + "_" + std::to_string(n);
        usa(nome);
        return nome;
    }

  private:
    std::set<std::string> usados_;
};

bool chave_so_de(const TabelaJet& t, const std::string& campo) {
    for (const IndiceJet& i : t.indices) {
        if (i.primario) return i.campos.size() == 1 && iequals(i.campos.front(), campo);
    }
    return false;
}

engine::Relation relacao_engine(const RelacaoJet& r) {
    std::vector<engine::RelationField> campos;
    for (const auto& [campo, estrangeiro] : r.campos) campos.push_back({campo, estrangeiro});
    return {r.nome,
            r.tabela,
            r.tabela_estrangeira,
            std::move(campos),
            r.cascata_actualizacoes ? "CASCADE" : "NO ACTION",
            r.cascata_eliminacoes ? "CASCADE" : "NO ACTION"};
}

void cria_tabela(engine::Database& db, const TabelaJet& t, const std::vector<RelacaoJet>& relacoes,
                 Nomes& nomes, Ficheiro& ficheiro) {
    engine::TableDef def = db.CreateTableDef(t.nome);
    for (const ColunaJet& c : t.colunas) {
        std::string nota;
        def.AppendField(campo_importado(c, chave_so_de(t, c.nome), nota));
        if (!nota.empty()) ficheiro.nao_transportado.push_back(t.nome + "." + c.nome + ": " + nota);
    }
    for (const IndiceJet& i : t.indices) {
        engine::Index indice(i.primario ? i.nome : nomes.unico(t.nome, i.nome));
        for (const std::string& campo : i.campos) indice.AppendField(campo);
        indice.SetPrimary(i.primario);
        indice.SetUnique(i.unico);
        indice.SetRequired(i.requerido);
        def.AppendIndex(indice);
        ++ficheiro.indices;
    }
    for (const RelacaoJet& r : relacoes) {
        if (!iequals(r.tabela_estrangeira, t.nome)) continue;
        if (!r.imposta) {
            ficheiro.nao_transportado.push_back("relação " + r.nome +
                                                ": não é imposta no original, e aqui todas o são");
            continue;
        }
        def.AppendRelation(relacao_engine(r));
        ++ficheiro.relacoes;
    }
    db.AppendTableDef(def);
    ++ficheiro.tabelas;
}

std::int64_t copia_linhas(FonteJet& fonte, engine::Database& db, const std::string& tabela,
                          const std::string& ficheiro, const Progresso& progresso) {
    const std::string inicio = "INSERT INTO " + engine::quote_identifier(tabela) + " VALUES (";
    std::int64_t n = 0;
    bool interrompida = false;
    fonte.linhas(tabela, [&](const std::vector<Celula>& celulas) {
        // Rows of libmdb's reading run no statement that would notice the
        // request: a long table stops here, between two rows.
        if (engine::interruption_requested() != 0) {
            interrompida = true;
            return false;
        }
        std::string sql = inicio;
        for (std::size_t i = 0; i < celulas.size(); ++i)
            sql += (i ? ", " : "") + literal(celulas[i]);
        db.Execute(sql + ")");
        if (++n % 1000 == 0 && progresso) progresso(ficheiro, tabela, n);
        return true;
    });
    if (interrompida) throw ErroImportacao(kImportacaoInterrompida);
    if (progresso) progresso(ficheiro, tabela, n);
    return n;
}

}  // namespace

void importa_base(FonteJet& fonte, const std::string& destino, const std::string& palavra_passe,
                  const Progresso& progresso, Ficheiro& ficheiro, Contagens& contagens,
                  bool linhas) {
    engine::Database db = engine::CreateDatabase(destino, palavra_passe);
    const std::vector<std::string> tabelas = fonte.tabelas();
    const std::vector<RelacaoJet> relacoes = fonte.relacoes();
    Nomes nomes;
    for (const std::string& t : tabelas) nomes.usa(t);
    std::string tabela;
    try {
        for (const std::string& t : tabelas)
            cria_tabela(db, fonte.tabela(tabela = t), relacoes, nomes, ficheiro);
        // The rows go in the source's order; the relations are checked
        // once, when the whole file is in.
        engine::Transaction transaccao(db);
        db.Execute("PRAGMA defer_foreign_keys = ON");
        for (const std::string& t : tabelas) {
            tabela = t;
            contagens[t] = linhas ? copia_linhas(fonte, db, t, ficheiro.nome, progresso) : 0;
            ficheiro.linhas += contagens[t];
        }
        tabela.clear();
        transaccao.Commit();
    } catch (const engine::EngineError& e) {
        throw ErroImportacao(ficheiro.nome + (tabela.empty() ? "" : ", tabela " + tabela) + ": " +
                             e.what());
    }
    for (const std::string& outro : fonte.outros_objectos())
        ficheiro.nao_transportado.push_back(outro + ": não se transporta");
    db.Close();
}

void confirma_base(const std::string& destino, const std::string& palavra_passe,
                   const Contagens& contagens) {
    std::string tabela;
    try {
        engine::Database db = engine::OpenDatabase(destino, false, true, ";pwd=" + palavra_passe);
        engine::Recordset verificacao = db.OpenRecordset("PRAGMA quick_check");
        const std::string resultado = verificacao.Fields(std::size_t{0}).to_text();
        if (resultado != "ok")
            throw ErroImportacao(destino + ": a verificação do ficheiro falhou (" + resultado +
                                 ").");
        for (const auto& [nome, linhas] : contagens) {
            tabela = nome;
            engine::Recordset conta =
                db.OpenRecordset("SELECT COUNT(*) FROM " + engine::quote_identifier(nome));
            const auto escritas = conta.Fields(std::size_t{0}).to_integer();
            if (escritas != linhas) {
                throw ErroImportacao(destino + ", tabela " + nome + ": " +
                                     std::to_string(escritas.value_or(-1)) + " linhas escritas, " +
                                     std::to_string(linhas) + " lidas.");
            }
        }
    } catch (const engine::EngineError& e) {
        throw ErroImportacao(destino + (tabela.empty() ? "" : ", tabela " + tabela) + ": " +
                             e.what());
    }
}

}  // namespace pezolva::importacao
