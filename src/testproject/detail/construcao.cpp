#include "testproject/detail/construcao.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "common/file_system.h"
#include "engine/quoting.h"
#include "engine/schema.h"
#include "testproject/detail/sorteio.h"
#include "testproject/projecto_teste.h"

namespace pezolva::testproject::detail {
namespace {

using engine::quote_identifier;

class Cronometro {
  public:
    double segundos() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio_).count();
    }

  private:
    std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

void avisa(const Construcao& como, std::string descricao, std::int64_t linhas,
           const Cronometro& tempo) {
    if (como.progresso)
        como.progresso(Etapa{como.nome, std::move(descricao), linhas, tempo.segundos()});
}

}  // namespace

std::string sql_tabela(const Tabela& t) {
    std::string sql = "CREATE TABLE " + quote_identifier(t.nome) + " (";
    for (std::size_t k = 0; k < t.colunas.size(); ++k) {
        const Coluna& c = t.colunas[k];
        sql += (k ? ", " : "") +
               engine::Field::FromDeclared(c.nome, c.tipo, c.obrigatoria).definition();
    }
    if (!t.chave.empty())
        sql += ", CONSTRAINT \"PrimaryKey\" PRIMARY KEY (" +
               engine::quote_identifier_list(t.chave) + ")";
    for (const Relacao& r : t.relacoes) {
        sql += ", CONSTRAINT " + quote_identifier(r.nome) + " FOREIGN KEY (" +
               engine::quote_identifier_list(r.campos) + ") REFERENCES " + quote_identifier(r.mae) +
               " (" + engine::quote_identifier_list(r.campos_mae) + ")";
    }
    return sql + ")";
}

std::vector<std::string> sql_indices(const Tabela& t) {
    std::vector<std::string> out;
    for (const Indice& i : t.indices) {
        out.push_back(std::string("CREATE ") + (i.unico ? "UNIQUE " : "") + "INDEX " +
                      quote_identifier(i.nome) + " ON " + quote_identifier(t.nome) + " (" +
                      engine::quote_identifier_list(i.campos) + ")");
    }
    return out;
}

std::string sql_linhas(const Tabela& t, std::uint64_t semente) {
    std::string colunas, valores;
    for (const Coluna& c : t.colunas) {
        colunas += (colunas.empty() ? "" : ", ") + quote_identifier(c.nome);
        valores += (valores.empty() ? "" : ",\n  ") + c.valor;
    }
    return "WITH RECURSIVE n(i, x) AS (SELECT 1, " +
           std::to_string(estado_inicial(semente, t.nome)) + " UNION ALL SELECT i + 1, (x * " +
           std::to_string(kMultiplicador) + ") % " + std::to_string(kModulo) +
           " FROM n WHERE i < " + std::to_string(t.linhas) + ")\nINSERT INTO " +
           quote_identifier(t.nome) + " (" + colunas + ")\nSELECT " + valores + "\nFROM n";
}

std::int64_t violacoes_de_relacoes(engine::Database& db) {
    engine::Recordset rs = db.OpenRecordset("SELECT count(*) FROM pragma_foreign_key_check");
    return rs.Fields(std::size_t{0}).to_integer().value_or(0);
}

void constroi(const std::string& caminho, const std::string& palavra_passe,
              const std::vector<Tabela>& tabelas, const Construcao& como) {
    // 1. The tables, in one transaction; their indexes now or after the rows.
    // 2. The rows, one statement and one transaction per table, parents
    //    first.  Unless asked otherwise the relations are switched off for
    //    the load (the pragma only works outside a transaction) and checked
    //    once at the end, which is cheaper than a look-up per row.
    // 3. The indexes, when they were left for after the rows.
    // 4. Every relation must hold.
    engine::Database db = engine::CreateDatabase(caminho, palavra_passe);
    // A file under a temporary name needs no durability until it is
    // complete: no sync per commit, the journal in memory (a failed build
    // is deleted, not rolled back), and one sync of the whole file at the end.
    db.Execute("PRAGMA synchronous=OFF");
    db.Execute("PRAGMA journal_mode=MEMORY");
    {
        engine::Transaction t(db);
        for (const Tabela& tabela : tabelas) db.Execute(sql_tabela(tabela));
        t.Commit();
    }
    auto cria_indices = [&] {
        const Cronometro tempo;
        engine::Transaction t(db);
        for (const Tabela& tabela : tabelas) {
            for (const std::string& sql : sql_indices(tabela)) db.Execute(sql);
        }
        t.Commit();
        avisa(como, "índices", 0, tempo);
    };
    if (como.indices_na_carga) cria_indices();

    if (!como.chaves_na_carga) db.Execute("PRAGMA foreign_keys=OFF");
    for (const Tabela& tabela : tabelas) {
        const bool e_parametros = tabela.nome == "parametros";
        if (!como.com_linhas && !e_parametros) continue;
        if (tabela.linhas <= 0) continue;
        const Cronometro tempo;
        engine::Transaction t(db);
        db.Execute(sql_linhas(tabela, como.semente));
        if (db.RecordsAffected() != tabela.linhas) {
            throw std::runtime_error("A tabela " + tabela.nome + " de " + caminho + " recebeu " +
                                     std::to_string(db.RecordsAffected()) + " linhas em vez de " +
                                     std::to_string(tabela.linhas) + ".");
        }
        t.Commit();
        avisa(como, tabela.nome, tabela.linhas, tempo);
    }
    if (!como.indices_na_carga) cria_indices();
    if (!como.chaves_na_carga) {
        db.Execute("PRAGMA foreign_keys=ON");
        const Cronometro tempo;
        if (const std::int64_t n = violacoes_de_relacoes(db); n > 0) {
            throw std::runtime_error("A base de dados " + caminho + " tem " + std::to_string(n) +
                                     " linhas que violam as relações.");
        }
        avisa(como, "verificação das relações", 0, tempo);
    }
    db.Close();
    sincroniza(caminho);
}

void sincroniza(const std::string& caminho) {
    // Only once the engine has closed the file: closing any other descriptor
    // of an open SQLite file would drop SQLite's locks on it.
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int erro = errno;
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("Não foi possível gravar no disco " + caminho + ": " +
                                 describe_errno(erro));
    }
    ::close(fd);
}

}  // namespace pezolva::testproject::detail
