#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pezolva::importacao {

// The original engine's column types, by the codes its files keep.
enum TipoJet : int {
    JetSimNao = 1,
    JetByte = 2,
    JetInteiro = 3,
    JetLongo = 4,
    JetMoeda = 5,
    JetSimples = 6,
    JetDuplo = 7,
    JetDataHora = 8,
    JetBinario = 9,
    JetTexto = 10,
    JetOle = 11,
    JetMemo = 12,
    JetReplicacao = 15,
    JetDecimal = 16,
};

struct ColunaJet {
    std::string nome;
    int tipo = JetTexto;
    int tamanho = 0;          // Text: characters (Jet 4 keeps bytes; the reader halves them)
    bool autonumero = false;  // a Long the engine fills
};

struct IndiceJet {
    std::string nome;
    std::vector<std::string> campos;  // in key order
    bool primario = false;
    bool unico = false;
    bool requerido = false;
};

// One relation: `tabela` is the referenced side, `tabela_estrangeira` the
// referencing one; pairs in the order of the key.
struct RelacaoJet {
    std::string nome;
    std::string tabela;
    std::string tabela_estrangeira;
    std::vector<std::pair<std::string, std::string>> campos;  // (referenced, referencing)
    bool imposta = true;
    bool cascata_actualizacoes = false;
    bool cascata_eliminacoes = false;
};

struct TabelaJet {
    std::string nome;
    std::vector<ColunaJet> colunas;
    std::vector<IndiceJet> indices;
};

// A value as it goes from the source into the new file: Currency as the
// whole number of ten-thousandths, dates as the engine's ISO text, Yes/No
// as 1 or 0, OLE and binary as bytes.
struct Celula {
    enum class Tipo { Nulo, Inteiro, Real, Texto, Binario };
    Tipo tipo = Tipo::Nulo;
    std::int64_t inteiro = 0;
    double real = 0;
    std::string texto;  // text, or the bytes of a binary value
    friend bool operator==(const Celula&, const Celula&) = default;
};

// What the import reads from one source database.  libmdb is the one used
// with real files (fonte_mdb.h); the tests give a catalogue in memory for
// what no sample file holds.
class FonteJet {
  public:
    virtual ~FonteJet() = default;
    // 3 or 4.
    virtual int versao() const = 0;
    // The user tables, system tables (MSys*) left out, in stored order.
    virtual std::vector<std::string> tabelas() = 0;
    virtual TabelaJet tabela(const std::string& nome) = 0;
    virtual std::vector<RelacaoJet> relacoes() = 0;
    // Every row of the table, cells in column order; `linha` returns false
    // to stop.  Throws ErroImportacao when the file cannot be read.
    virtual void linhas(const std::string& tabela,
                        const std::function<bool(const std::vector<Celula>&)>& linha) = 0;
    // What the file holds that is not carried (queries, forms, reports,
    // modules, linked tables), one description each.
    virtual std::vector<std::string> outros_objectos() = 0;
    // The file's password where the format keeps it readable (Jet 3);
    // nullopt where it cannot be known.  "" for none.
    virtual std::optional<std::string> palavra_passe() const = 0;
};

}  // namespace pezolva::importacao
