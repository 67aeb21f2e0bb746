#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/database.h"

namespace pezolva::integrity {

// A name as the comparison matches it: without regard to case.
std::string chave(std::string_view nome);

// The engine's own tables, "MSys..." in any case, are never compared.
bool tabela_de_sistema(std::string_view nome);

struct CampoLido {
    std::string nome;
    std::string chave;
    int tipo = 0;     // the engine's type code
    int tamanho = 0;  // the text length, or the type's width
};

struct IndiceLido {
    std::string nome;
    std::string chave;
};

struct TabelaLida {
    std::string nome;
    std::string chave;
    std::vector<CampoLido> campos;
    std::vector<IndiceLido> indices;
};

// A relation with the table that declares it: SQLite keeps a constraint's
// name unique within its table only, so two tables may each have one of
// the same name.
struct RelacaoLida {
    std::string nome;
    std::string chave;
    std::string tabela;        // the referencing table, which declares it
    std::string chave_tabela;  // its key
};

// What a pass of the run adds to its totals for one database: every table
// definition (system tables included), the fields and indexes of the
// others, and the relations.
struct Totais {
    std::int64_t tabelas = 0;
    std::int64_t campos = 0;
    std::int64_t indices = 0;
    std::int64_t relacoes = 0;
    std::int64_t soma() const { return tabelas + campos + indices + relacoes; }
};

// One side of a comparison: its display name (the file's path) and the
// schema of its open database, read from the engine once and only when a
// pass first needs it, so that an error of the engine arises in that pass.
// Lookups by name go through maps of keys: the first object of a name is
// the one found, as a search from the front would find it.
class Lado {
  public:
    Lado(std::string nome, engine::Database base);
    virtual ~Lado() = default;
    Lado(const Lado&) = delete;
    Lado& operator=(const Lado&) = delete;

    const std::string& nome() const { return nome_; }

    // Opens "select versao from parametros"; false when it cannot be
    // opened (the side has no version).
    bool abre_versao();
    // The value of versao in the first row, "" for Null.  Requires
    // abre_versao(); throws engine::EngineError when the table has no row.
    std::string le_versao() const;

    // Table definitions in stored order, system tables included.
    const std::vector<TabelaLida>& tabelas();
    // The first table of that key, or nullptr.
    const TabelaLida* procura_tabela(const std::string& chave);
    // A table's fields and indexes (virtual: tests make them fail).
    virtual const std::vector<CampoLido>& campos(const TabelaLida& tabela) { return tabela.campos; }
    virtual const std::vector<IndiceLido>& indices(const TabelaLida& tabela) {
        return tabela.indices;
    }

    const std::vector<RelacaoLida>& relacoes();
    // The first relation of that key declared by the table of that key.
    const RelacaoLida* procura_relacao(const std::string& chave, const std::string& chave_tabela);

    Totais totais();

  private:
    std::string nome_;
    engine::Database base_;
    engine::Recordset versao_;
    std::optional<std::vector<TabelaLida>> tabelas_;
    std::unordered_map<std::string, std::size_t> por_tabela_;
    std::optional<std::vector<RelacaoLida>> relacoes_;
    std::unordered_map<std::string, std::size_t> por_relacao_;
};

// The first item of `itens` whose key is `chave`, or nullptr: the fields
// and indexes of one table are few, and a scan beats building a map.
template <class T>
const T* procura(const std::vector<T>& itens, const std::string& chave) {
    for (const T& item : itens) {
        if (item.chave == chave) return &item;
    }
    return nullptr;
}

}  // namespace pezolva::integrity
