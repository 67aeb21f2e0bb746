#include "importacao/celula_mdb.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "importacao/data_jet.h"

extern "C" char* mdb_numeric_to_string(MdbHandle* mdb, int start, int prec, int scale);

namespace pezolva::importacao {
namespace {

constexpr std::size_t kBindOmissao = MDB_BIND_SIZE;
constexpr std::size_t kBufferOle = MDB_BIND_SIZE * 64;  // what libmdb reads an OLE value in

template <class T>
T bytes_em(const MdbHandle* mdb, int inicio) {
    T valor;
    std::memcpy(&valor, mdb->pg_buf + inicio, sizeof valor);
    return valor;
}

Celula inteiro(std::int64_t v) { return {Celula::Tipo::Inteiro, v, 0, {}}; }
Celula real(double v) { return {Celula::Tipo::Real, 0, v, {}}; }
Celula texto(std::string v) { return {Celula::Tipo::Texto, 0, 0, std::move(v)}; }

// libmdb's g_malloc'd text, taken over.
Celula texto_glib(char* v) {
    Celula c = texto(v ? v : "");
    g_free(v);
    return c;
}

}  // namespace

LeitorLinhas::LeitorLinhas(MdbHandle* mdb, MdbTableDef* tabela) : mdb_(mdb), tabela_(tabela) {
    for (unsigned i = 0; i < tabela->num_cols; ++i) {
        auto* c = static_cast<MdbColumn*>(g_ptr_array_index(tabela->columns, i));
        // Yes/No is written into its buffer whatever happens; OLE is read
        // through it.  The others are read from the page itself.
        if (c->col_type != MDB_BOOL && c->col_type != MDB_OLE) continue;
        buffers_.emplace_back(c->col_type == MDB_OLE ? kBufferOle : kBindOmissao);
        mdb_bind_column(tabela, static_cast<int>(i + 1), buffers_.back().data(), nullptr);
    }
}

void LeitorLinhas::le(std::vector<Celula>& celulas) {
    celulas.clear();
    for (unsigned i = 0; i < tabela_->num_cols; ++i) {
        celulas.push_back(celula(static_cast<MdbColumn*>(g_ptr_array_index(tabela_->columns, i))));
    }
}

Celula LeitorLinhas::celula(MdbColumn* c) {
    // A Yes/No keeps its value in the null bit, which libmdb leaves here.
    if (c->col_type == MDB_BOOL) return inteiro(c->cur_value_len == 0 ? 1 : 0);
    if (c->cur_value_len == 0) return {};
    const int inicio = c->cur_value_start;
    switch (c->col_type) {
        case MDB_BYTE:
            return inteiro(mdb_->pg_buf[inicio]);
        case MDB_INT:
            return inteiro(bytes_em<std::int16_t>(mdb_, inicio));
        case MDB_LONGINT:
            return inteiro(bytes_em<std::int32_t>(mdb_, inicio));
        case MDB_MONEY:
            return inteiro(bytes_em<std::int64_t>(mdb_, inicio));
        case MDB_FLOAT:
            return real(bytes_em<float>(mdb_, inicio));
        case MDB_DOUBLE:
            return real(bytes_em<double>(mdb_, inicio));
        case MDB_DATETIME:
            return texto(data_jet_iso(bytes_em<double>(mdb_, inicio)));
        case MDB_MEMO:
            return memo(c);
        case MDB_OLE:
            return ole(c);
        case MDB_BINARY:
            return {Celula::Tipo::Binario, 0, 0,
                    std::string(reinterpret_cast<const char*>(mdb_->pg_buf + inicio),
                                static_cast<std::size_t>(c->cur_value_len))};
        case MDB_NUMERIC:
            return texto_glib(mdb_numeric_to_string(mdb_, inicio, c->col_scale, c->col_prec));
        default:
            return texto_glib(
                mdb_col_to_string(mdb_, mdb_->pg_buf, inicio, c->col_type, c->cur_value_len));
    }
}

Celula LeitorLinhas::memo(MdbColumn* c) {
    // The stored length (in bytes of the stored text) is in the low bits of
    // the value's first word; its UTF-8 takes at most three bytes for each.
    const auto cabecalho = bytes_em<std::uint32_t>(mdb_, c->cur_value_start);
    const std::size_t comprimento = cabecalho & 0x3fffffffU;
    mdb_set_bind_size(mdb_, std::max(kBindOmissao, 3 * comprimento + 64));
    Celula lida = texto_glib(
        mdb_col_to_string(mdb_, mdb_->pg_buf, c->cur_value_start, MDB_MEMO, c->cur_value_len));
    mdb_set_bind_size(mdb_, kBindOmissao);
    return lida;
}

Celula LeitorLinhas::ole(MdbColumn* c) {
    std::size_t tamanho = 0;
    void* dados = mdb_ole_read_full(mdb_, c, &tamanho);
    Celula lida{Celula::Tipo::Binario, 0, 0, std::string(static_cast<const char*>(dados), tamanho)};
    std::free(dados);
    return lida;
}

}  // namespace pezolva::importacao
