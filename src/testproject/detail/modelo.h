#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pezolva::testproject::detail {

struct Coluna {
    std::string nome;
    std::string tipo;          // declared type: "INTEGER", "TEXT(40)", "DATETIME", ...
    bool obrigatoria = false;  // NOT NULL
    std::string valor;         // SQL expression of the row's value, from i and x
};

// A named foreign key of the table: `campos` of this table refer to
// `campos_mae` of `mae`.
struct Relacao {
    std::string nome;
    std::string mae;
    std::vector<std::string> campos;
    std::vector<std::string> campos_mae;
};

struct Indice {
    std::string nome;
    std::vector<std::string> campos;
    bool unico = false;
};

struct Tabela {
    std::string nome;
    std::int64_t linhas = 0;  // rows to generate
    std::vector<Coluna> colunas;
    std::vector<std::string>
        chave;  // primary key ("PrimaryKey"); a single INTEGER one is the rowid
    std::vector<Relacao> relacoes;
    std::vector<Indice> indices;
};

// What the generators of one database need to know.
struct Contexto {
    std::int64_t linhas = 0;  // rows of the largest tables
    std::uint64_t semente = 1;
    std::string versao;  // the row of parametros
};

// Rows of a table that scales with `linhas`: `linhas / divisor`, but never
// fewer than `minimo` (nor than `linhas`, when that is smaller), and none
// at all when `linhas` is 0.
std::int64_t escala(std::int64_t linhas, std::int64_t divisor, std::int64_t minimo);

// Rows of the main tables that the photos refer to by number.
inline std::int64_t linhas_bombeiros(std::int64_t linhas) { return escala(linhas, 20, 5); }
inline std::int64_t linhas_viaturas(std::int64_t linhas) { return escala(linhas, 100, 4); }

// The tables of each database, every one after the tables it refers to.
std::vector<Tabela> tabelas_principal(const Contexto& c);
std::vector<Tabela> tabelas_fotos(const Contexto& c);
std::vector<Tabela> tabelas_log(const Contexto& c);

// The table parametros with its one row, the same in every database.
Tabela tabela_parametros(const Contexto& c);

}  // namespace pezolva::testproject::detail
