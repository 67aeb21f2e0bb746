#include "testproject/detail/recria.h"

#include <stdexcept>

#include "common/text.h"
#include "engine/quoting.h"
#include "testproject/detail/construcao.h"

namespace pezolva::testproject::detail {
namespace {

using engine::quote_identifier;

std::string sql_criacao(const Definicao& d, const std::string& nome) {
    std::string sql = "CREATE TABLE " + quote_identifier(nome) + " (";
    for (std::size_t k = 0; k < d.campos.size(); ++k)
        sql += (k ? ", " : "") + d.campos[k].definition();
    if (!d.chave.Fields().empty()) {
        sql += ", CONSTRAINT " + quote_identifier(d.chave.Name()) + " PRIMARY KEY (" +
               engine::quote_identifier_list(d.chave.Fields()) + ")";
    }
    for (const engine::Relation& r : d.relacoes) {
        std::vector<std::string> mae, filha;
        for (const engine::RelationField& f : r.Fields()) {
            mae.push_back(f.Name);
            filha.push_back(f.ForeignName);
        }
        sql += ", CONSTRAINT " + quote_identifier(r.Name()) + " FOREIGN KEY (" +
               engine::quote_identifier_list(filha) + ") REFERENCES " +
               quote_identifier(r.Table()) + " (" + engine::quote_identifier_list(mae) + ")";
        if (r.OnDelete() != "NO ACTION") sql += " ON DELETE " + r.OnDelete();
        if (r.OnUpdate() != "NO ACTION") sql += " ON UPDATE " + r.OnUpdate();
    }
    return sql + ")";
}

// The relations off and legacy renaming on for the object's life (a
// rename then leaves the other tables' text alone), both outside any
// transaction; back as they were when it goes, also when an error unwinds.
class AlteracaoLivre {
  public:
    explicit AlteracaoLivre(engine::Database& db) : db_(db) {
        db_.Execute("PRAGMA foreign_keys=OFF");
        db_.Execute("PRAGMA legacy_alter_table=ON");
        engine::Recordset rs = db_.OpenRecordset("PRAGMA foreign_keys");
        if (rs.Fields(std::size_t{0}).to_integer().value_or(1) != 0) {
            throw std::runtime_error("Não foi possível desligar as relações de " + db_.path() +
                                     ": há uma transacção em curso.");
        }
    }
    ~AlteracaoLivre() {
        try {
            db_.Execute("PRAGMA legacy_alter_table=OFF");
            db_.Execute("PRAGMA foreign_keys=ON");
        } catch (...) {
            // A closed database has nothing left to switch back.
        }
    }
    AlteracaoLivre(const AlteracaoLivre&) = delete;
    AlteracaoLivre& operator=(const AlteracaoLivre&) = delete;

  private:
    engine::Database& db_;
};

}  // namespace

Definicao le_definicao(engine::Database& db, const std::string& tabela) {
    const engine::TableDef t = db.TableDef(tabela);
    Definicao d;
    d.nome = t.Name();
    d.campos = t.Fields().items();
    for (const engine::Index& i : t.Indexes()) {
        if (i.Primary())
            d.chave = i;
        else
            d.indices.push_back(i);
    }
    for (const engine::Relation& r : db.Relations()) {
        if (iequals(r.ForeignTable(), d.nome)) d.relacoes.push_back(r);
    }
    return d;
}

void recria_tabela(engine::Database& db, const Definicao& nova) {
    // 1. Relations off, then one transaction.
    // 2. The new table under a free name, the rows of the common columns.
    // 3. The old table out, the new one renamed in its place, the indexes back.
    // 4. This table's relations and those that point at it must hold.
    const Definicao antiga = le_definicao(db, nova.nome);
    AlteracaoLivre livre(db);
    engine::Transaction transaccao(db);

    std::string temporaria = "pz_recriada_" + antiga.nome;
    while (db.TableDefs().Contains(temporaria)) temporaria += "_";
    db.Execute(sql_criacao(nova, temporaria));
    std::vector<std::string> comuns;
    for (const engine::Field& f : nova.campos) {
        for (const engine::Field& g : antiga.campos) {
            if (iequals(f.Name(), g.Name())) comuns.push_back(g.Name());
        }
    }
    if (!comuns.empty()) {
        db.Execute("INSERT INTO " + quote_identifier(temporaria) + " (" +
                   engine::quote_identifier_list(comuns) + ") SELECT " +
                   engine::quote_identifier_list(comuns) + " FROM " +
                   quote_identifier(antiga.nome));
    }
    db.Execute("DROP TABLE " + quote_identifier(antiga.nome));
    db.Execute("ALTER TABLE " + quote_identifier(temporaria) + " RENAME TO " +
               quote_identifier(antiga.nome));
    for (const engine::Index& i : nova.indices) {
        db.Execute(std::string("CREATE ") + (i.Unique() ? "UNIQUE " : "") + "INDEX " +
                   quote_identifier(i.Name()) + " ON " + quote_identifier(antiga.nome) + " (" +
                   engine::quote_identifier_list(i.Fields()) + ")");
    }

    std::vector<std::string> verificar{antiga.nome};
    for (const engine::Relation& r : db.Relations()) {
        if (iequals(r.Table(), antiga.nome)) verificar.push_back(r.ForeignTable());
    }
    for (const std::string& tabela : verificar) {
        engine::Recordset rs = db.OpenRecordset("SELECT count(*) FROM pragma_foreign_key_check(" +
                                                engine::quote_literal(tabela) + ")");
        if (rs.Fields(std::size_t{0}).to_integer().value_or(0) != 0) {
            throw std::runtime_error("A alteração da tabela " + antiga.nome + " de " + db.path() +
                                     " deixaria linhas da tabela " + tabela +
                                     " sem a linha a que se referem.");
        }
    }
    transaccao.Commit();
}

}  // namespace pezolva::testproject::detail
