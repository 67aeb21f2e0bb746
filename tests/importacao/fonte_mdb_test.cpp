#include "importacao/fonte_mdb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "engine/database.h"
#include "engine/field_types.h"
#include "engine/quoting.h"
#include "importacao/base_importada.h"
#include "importacao/erro_importacao.h"
#include "importacao/libmdb.h"
#include "support/temp_dir.h"

namespace pezolva::importacao {
namespace {
namespace fs = std::filesystem;
using pezolva::testing::TempDir;

// The public sample files, read where they are.
std::string amostra(const std::string& nome) {
    const char* env = std::getenv("PEZOLVA_JET_SAMPLES");
    return (fs::path(env && *env ? env : PEZOLVA_JET_SAMPLES) / nome).string();
}

#define PRECISA_DA_AMOSTRA(nome)                          \
    if (!fs::exists(amostra(nome)))                       \
    GTEST_SKIP() << "Sem a amostra Jet " << amostra(nome) \
                 << " (a pasta das amostras vem de PEZOLVA_JET_SAMPLES)."

// What libmdb itself gives for every cell of a table, through its ordinary
// bound texts (dates as "%Y-%m-%d %H:%M:%S", a large bind size), by table.
using Celulas = std::vector<std::vector<std::string>>;
struct LidoPeloLibmdb {
    std::vector<int> tipos;
    Celulas linhas;
};

LidoPeloLibmdb le_com_libmdb(const std::string& ficheiro, const std::string& tabela) {
    MdbHandle* mdb = mdb_open(ficheiro.c_str(), MDB_NOFLAGS);
    mdb_set_bind_size(mdb, 1 << 22);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    MdbTableDef* t = mdb_read_table_by_name(mdb, const_cast<gchar*>(tabela.c_str()), MDB_TABLE);
    mdb_read_columns(t);
    LidoPeloLibmdb lido;
    std::vector<std::vector<char>> buffers(t->num_cols, std::vector<char>(1 << 22));
    for (unsigned i = 0; i < t->num_cols; ++i) {
        mdb_bind_column(t, static_cast<int>(i + 1), buffers[i].data(), nullptr);
        lido.tipos.push_back(static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i))->col_type);
    }
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
        std::vector<std::string> linha;
        for (unsigned i = 0; i < t->num_cols; ++i) {
            auto* c = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
            if (c->col_type == MDB_OLE) {
                std::size_t tamanho = 0;
                void* dados = c->cur_value_len ? mdb_ole_read_full(mdb, c, &tamanho) : nullptr;
                linha.push_back(std::to_string(tamanho));
                std::free(dados);
            } else {
                linha.emplace_back(buffers[i].data());
            }
        }
        lido.linhas.push_back(std::move(linha));
    }
    mdb_free_tabledef(t);
    mdb_close(mdb);
    return lido;
}

std::string como_libmdb(const Value& v, int tipo) {
    if (v.is_null()) return "";
    char texto[64];
    switch (tipo) {
        case MDB_BOOL:
            return *v.to_boolean() ? "1" : "0";
        case MDB_FLOAT:
            std::snprintf(texto, sizeof texto, "%.8g", static_cast<float>(*v.to_real()));
            return texto;
        case MDB_DOUBLE:
            std::snprintf(texto, sizeof texto, "%.16g", *v.to_real());
            return texto;
        case MDB_OLE:
            return std::to_string(v.text() ? v.text()->size() : 0);
        case MDB_MONEY:
            return std::to_string(*engine::currency_scaled(v.to_text()));
        case MDB_DATETIME: {
            const std::string iso = v.to_text();
            if (iso.size() == 10) return iso + " 00:00:00";
            if (iso.size() == 8) return "1899-12-30 " + iso;
            return iso;
        }
        default:
            return v.to_text();
    }
}

std::string libmdb_normalizado(const std::string& texto, int tipo) {
    if (tipo == MDB_MONEY && !texto.empty()) return std::to_string(*engine::currency_scaled(texto));
    return texto;
}

// libmdb leaves a date before day 0 or after day 1e6 unset and prints an
// impossible day, which is no truth to compare with: such cells, on both
// sides, are left out of the comparison.
bool data_impossivel(const std::string& texto) {
    return texto.size() >= 10 && texto.compare(8, 2, "00") == 0;
}
bool fora_do_libmdb(const std::string& iso) {
    return iso < "1899-12-30" || std::stoi(iso.substr(0, iso.find('-'))) > 4637;
}

using Linhas = std::vector<std::vector<std::string>>;

// The imported rows as libmdb would print them, sorted with libmdb's: a
// key that is the row number orders the new table by key, not as stored.
void compara(const LidoPeloLibmdb& lido, engine::Recordset rs, const std::string& tabela) {
    Linhas importadas, esperadas;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::vector<std::string> linha;
        for (std::size_t c = 0; c < lido.tipos.size(); ++c) {
            std::string t = como_libmdb(rs.Fields(c), lido.tipos[c]);
            if (lido.tipos[c] == MDB_DATETIME && !t.empty() && fora_do_libmdb(t)) t = "?";
            linha.push_back(t);
        }
        importadas.push_back(std::move(linha));
    }
    for (const std::vector<std::string>& l : lido.linhas) {
        std::vector<std::string> linha;
        for (std::size_t c = 0; c < lido.tipos.size(); ++c) {
            std::string t = libmdb_normalizado(l[c], lido.tipos[c]);
            if (lido.tipos[c] == MDB_DATETIME && data_impossivel(t)) t = "?";
            linha.push_back(t);
        }
        esperadas.push_back(std::move(linha));
    }
    std::sort(importadas.begin(), importadas.end());
    std::sort(esperadas.begin(), esperadas.end());
    ASSERT_EQ(importadas.size(), esperadas.size()) << tabela;
    for (std::size_t l = 0; l < esperadas.size(); ++l)
        EXPECT_EQ(importadas[l], esperadas[l]) << tabela << " linha " << l;
}

class FonteMdbTest : public ::testing::TestWithParam<const char*> {};

// Every cell of every table, imported, against what libmdb reads.
TEST_P(FonteMdbTest, EveryCellOfEveryTableIsWhatLibmdbReads) {
    PRECISA_DA_AMOSTRA(GetParam());
    TempDir pasta;
    std::unique_ptr<FonteJet> fonte = abre_fonte_mdb(amostra(GetParam()));
    Ficheiro ficheiro;
    Contagens contagens;
    importa_base(*fonte, pasta.file("importada.mdb"), "", {}, ficheiro, contagens);
    ASSERT_FALSE(fonte->tabelas().empty());
    engine::Database db = engine::OpenDatabase(pasta.file("importada.mdb"), false, true);
    for (const std::string& tabela : fonte->tabelas()) {
        const LidoPeloLibmdb lido = le_com_libmdb(amostra(GetParam()), tabela);
        ASSERT_FALSE(lido.linhas.empty()) << tabela;
        EXPECT_EQ(static_cast<std::size_t>(contagens[tabela]), lido.linhas.size()) << tabela;
        compara(lido, db.OpenRecordset("SELECT * FROM " + engine::quote_identifier(tabela)),
                tabela);
    }
}

INSTANTIATE_TEST_SUITE_P(Amostras, FonteMdbTest,
                         ::testing::Values("northwind-jet3.mdb", "dates-jet4.mdb"));

TEST(FonteMdb, TheJet3SampleGivesItsTablesKeysIndexesAndRelations) {
    PRECISA_DA_AMOSTRA("northwind-jet3.mdb");
    std::unique_ptr<FonteJet> fonte = abre_fonte_mdb(amostra("northwind-jet3.mdb"));
    EXPECT_EQ(fonte->versao(), 3);
    const std::vector<std::string> tabelas = fonte->tabelas();
    EXPECT_EQ(tabelas.size(), 9u);
    EXPECT_NE(std::find(tabelas.begin(), tabelas.end(), "Umsätze"), tabelas.end());
    int primarias = 0, outros = 0;
    for (const std::string& t : tabelas) {
        for (const IndiceJet& i : fonte->tabela(t).indices) (i.primario ? primarias : outros) += 1;
    }
    EXPECT_EQ(primarias, 9);
    EXPECT_EQ(outros, 24);
    const std::vector<RelacaoJet> relacoes = fonte->relacoes();
    EXPECT_EQ(relacoes.size(), 7u);
    EXPECT_EQ(std::count_if(relacoes.begin(), relacoes.end(),
                            [](const RelacaoJet& r) { return r.cascata_actualizacoes; }),
              1);
    EXPECT_EQ(std::count_if(relacoes.begin(), relacoes.end(),
                            [](const RelacaoJet& r) { return r.cascata_eliminacoes; }),
              1);
    EXPECT_EQ(fonte->palavra_passe(), "");
}

// The years libmdb's own text leaves unset come from the stored double.
TEST(FonteMdb, DatesOutsideLibmdbsRangeAreRead) {
    PRECISA_DA_AMOSTRA("dates-jet4.mdb");
    std::unique_ptr<FonteJet> fonte = abre_fonte_mdb(amostra("dates-jet4.mdb"));
    std::vector<std::string> datas;
    fonte->linhas("DateTest", [&](const std::vector<Celula>& c) {
        datas.push_back(c[1].texto);
        return true;
    });
    ASSERT_GE(datas.size(), 4u);
    EXPECT_EQ(datas[1].substr(0, 4), "9999") << datas[1];
    EXPECT_LT(datas[2].substr(0, 4), "1900") << datas[2];
    EXPECT_LT(datas[3].substr(0, 4), "1000") << datas[3];
}

TEST(FonteMdb, FilesThatAreNotJetOrCannotBeReadAreRefusedByName) {
    TempDir pasta;
    pezolva::testing::write_file(pasta.file("texto.mdb"), std::string(4096, 'x'));
    try {
        abre_fonte_mdb(pasta.file("texto.mdb"));
        ADD_FAILURE();
    } catch (const ErroImportacao& e) {
        EXPECT_EQ(std::string(e.what()),
                  "O ficheiro " + pasta.file("texto.mdb") + " não é uma base de dados Jet.");
    }
    EXPECT_THROW(abre_fonte_mdb(pasta.file("nao_existe.mdb")), ErroImportacao);
    if (!fs::exists(amostra("northwind-jet3.mdb"))) return;
    // A Jet header over pages that are not there.
    std::string cabeca = pezolva::testing::read_file(amostra("northwind-jet3.mdb")).substr(0, 2048);
    pezolva::testing::write_file(pasta.file("cortado.mdb"), cabeca);
    EXPECT_THROW(abre_fonte_mdb(pasta.file("cortado.mdb"))->tabelas(), ErroImportacao);
}

}  // namespace
}  // namespace pezolva::importacao
