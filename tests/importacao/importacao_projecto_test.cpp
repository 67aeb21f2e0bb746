#include "importacao/importacao_projecto.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/field_types.h"
#include "engine/interruption.h"
#include "fonte_memoria.h"
#include "importacao/erro_importacao.h"
#include "support/temp_dir.h"

namespace pezolva::importacao::testing {
namespace {
namespace fs = std::filesystem;
using pezolva::testing::TempDir;
using pezolva::testing::write_file;

TabelaJet registo_jet() {
    TabelaJet t{"BUPS", {}, {{"PrimaryKey", {"BUP_NOME_BD"}, true, true, true}}};
    for (const char* c : {"BUP_NOME_BD", "BUP_CAMINHO_DESTINO", "BUP_ULT_NOME_ESTRUTURA",
                          "BUP_VERSAO", "BUP_PASSWD"}) {
        t.colunas.push_back({c, JetTexto, 255, false});
    }
    return t;
}

std::vector<Celula> linha_registo(const char* base, const char* pasta, const char* estrutura,
                                  Celula passwd) {
    return {texto(base), texto(pasta), texto(estrutura), texto("030909"), std::move(passwd)};
}

// A project as the original keeps one: a main database with its register,
// a companion with a password, a structure database.  The companion has
// what the samples lack: Byte, Double, a field named with an accent, a
// two-field index that is not the key, a Memo over 64 KB, a relation.
class ImportacaoProjectoTest : public ::testing::Test {
  protected:
    ImportacaoProjectoTest()
        : origem(raiz.path() / "Obras"), destino(raiz.path() / "novo" / "Obras") {
        fs::create_directories(origem);
        fs::create_directories(destino.parent_path());
        for (const char* f :
             {"Principal.MDB", "dados.mdb", "estr_d.EBD", "dados_2005-05-19_1407.mdb"}) {
            write_file((origem / f).string(), "");
        }
        BaseMemoria& principal = bases["Principal.MDB"];
        principal.tabelas = {registo_jet()};
        principal.linhas["BUPS"] = {
            linha_registo("Principal.mdb", "C:\\Projectos\\OBRAS\\copiaseg", "", nulo()),
            linha_registo("DADOS.MDB", "\\\\servidor\\partilha\\copias", "ESTR_D.ebd",
                          texto("segredo")),
            linha_registo("falta.mdb", "", "", nulo())};
        principal.outros = {"consulta Resumo"};
        bases["dados.mdb"] = dados();
        bases["estr_d.EBD"] = dados();
        bases["estr_d.EBD"].linhas.clear();
    }

    static BaseMemoria dados() {
        BaseMemoria b;
        TabelaJet artigos{"Artigos",
                          {{"Id", JetLongo, 4, true},
                           {"Preço", JetDuplo, 8, false},
                           {"Nível", JetByte, 1, false},
                           {"Série", JetTexto, 10, false},
                           {"Número", JetInteiro, 2, false},
                           {"Notas", JetMemo, 0, false},
                           {"Valor", JetMoeda, 8, false}},
                          {{"PrimaryKey", {"Id"}, true, true, true},
                           {"SerieNumero", {"Série", "Número"}, false, true, false}}};
        TabelaJet linhas{"Linhas",
                         {{"Artigo", JetLongo, 4, false}, {"Qtd", JetSimples, 4, false}},
                         {{"Artigo", {"Artigo"}, false, false, false}}};
        b.tabelas = {artigos, linhas};
        b.linhas["Artigos"] = {
            {inteiro(1), real(0.1), inteiro(255), texto("A"), inteiro(-32768),
             texto(std::string(70000, 'm')), inteiro(std::numeric_limits<std::int64_t>::max())},
            {inteiro(7), real(-1e300), inteiro(0), texto("A"), inteiro(2), nulo(),
             inteiro(-125000)}};
        b.linhas["Linhas"] = {{inteiro(7), real(2.5)}, {inteiro(1), nulo()}};
        b.relacoes = {
            {"ArtigosLinhas", "Artigos", "Linhas", {{"Id", "Artigo"}}, true, false, true}};
        return b;
    }

    Relatorio importa(Pedido pedido = {}) {
        if (pedido.origem.empty()) pedido.origem = origem.string();
        pedido.destino = destino.string();
        pedido.projecto = "obras";
        Relatorio r;
        importa_projecto(pedido, catalogo(bases), {}, r);
        return r;
    }

    // The refusal's text, after checking nothing was written.
    std::string recusa(Pedido pedido = {}) {
        std::string texto;
        try {
            importa(pedido);
            ADD_FAILURE() << "imported";
        } catch (const ErroImportacao& e) {
            texto = e.what();
        }
        nada_escrito();
        return texto;
    }

    // Nothing but the source beside the target: no target, no temporary folder.
    void nada_escrito() {
        EXPECT_FALSE(fs::exists(destino));
        EXPECT_TRUE(fs::is_empty(destino.parent_path()));
    }

    TempDir raiz;
    fs::path origem;
    fs::path destino;
    std::map<std::string, BaseMemoria> bases;
};

TEST_F(ImportacaoProjectoTest, TheRegistersFilesAreWrittenUnderTheirRealNamesWithEveryValue) {
    const Relatorio r = importa();
    ASSERT_EQ(r.ficheiros.size(), 3u);
    EXPECT_EQ(r.ficheiros[0].nome, "Principal.MDB");
    EXPECT_EQ(r.ficheiros[1].nome, "dados.mdb");
    EXPECT_EQ(r.ficheiros[2].nome, "estr_d.EBD");
    EXPECT_EQ(r.ficheiros[1].tabelas, 2);
    EXPECT_EQ(r.ficheiros[1].linhas, 4);
    EXPECT_EQ(r.ficheiros[1].indices, 3);
    EXPECT_EQ(r.ficheiros[1].relacoes, 1);
    EXPECT_FALSE(fs::exists(destino / "dados_2005-05-19_1407.mdb"));

    engine::Database db =
        engine::OpenDatabase((destino / "dados.mdb").string(), false, true, ";pwd=segredo");
    engine::Recordset rs = db.OpenRecordset("SELECT * FROM Artigos ORDER BY Id");
    EXPECT_EQ(rs["Preço"], Value(0.1));
    EXPECT_EQ(rs["Nível"], Value(std::int64_t{255}));
    EXPECT_EQ(rs["Número"], Value(std::int64_t{-32768}));
    EXPECT_EQ(rs["Notas"].text()->size(), 70000u);
    EXPECT_EQ(rs["Valor"], Value("922337203685477.5807"));
    rs.MoveNext();
    EXPECT_EQ(rs["Valor"], Value("-12.5"));
    EXPECT_TRUE(rs["Notas"].is_null());

    const engine::TableDef artigos = db.TableDef("Artigos");
    EXPECT_EQ(artigos.Fields()["Valor"].Type(), engine::TipoMoeda);
    EXPECT_EQ(artigos.Fields()["Notas"].Type(), engine::TipoMemo);
    EXPECT_EQ(artigos.Fields()["Série"].Size(), 10);
    const engine::Index& serie = artigos.Indexes()["SerieNumero"];
    EXPECT_EQ(serie.Fields(), (std::vector<std::string>{"Série", "Número"}));
    EXPECT_TRUE(serie.Unique());
    ASSERT_EQ(db.Relations().Count(), 1u);
    EXPECT_EQ(db.Relations()[0].OnDelete(), "CASCADE");
    // The AutoNumber key is filled by the engine.
    db.Close();
    engine::Database escrita =
        engine::OpenDatabase((destino / "dados.mdb").string(), false, false, ";pwd=segredo");
    escrita.Execute("INSERT INTO Artigos (\"Série\", \"Número\") VALUES ('B', 1)");
    EXPECT_EQ(escrita.OpenRecordset("SELECT max(Id) FROM Artigos").Fields(std::size_t{0}),
              Value(std::int64_t{8}));
    escrita.Close();
    EXPECT_THROW(engine::OpenDatabase((destino / "dados.mdb").string()), engine::EngineError);
}

TEST_F(ImportacaoProjectoTest, FoldersInsideTheProjectFollowItAndOthersAreListed) {
    const Relatorio r = importa();
    EXPECT_EQ(r.pastas_a_rever, (std::vector<std::string>{"\\\\servidor\\partilha\\copias"}));
    EXPECT_TRUE(fs::is_directory(destino / "copiaseg"));
    engine::Database db = engine::OpenDatabase((destino / "Principal.MDB").string(), false, true);
    engine::Recordset rs = db.OpenRecordset(
        "SELECT BUP_CAMINHO_DESTINO FROM BUPS WHERE BUP_NOME_BD = 'Principal.mdb'");
    EXPECT_EQ(rs.Fields(std::size_t{0}), Value((destino / "copiaseg").string()));
    // What was not carried is said, with the register's missing database.
    const auto& notas = r.ficheiros[0].nao_transportado;
    EXPECT_NE(std::find(notas.begin(), notas.end(), "consulta Resumo: não se transporta"),
              notas.end());
    EXPECT_NE(
        std::find(notas.begin(), notas.end(), "BUPS: falta.mdb não existe na pasta de origem"),
        notas.end());
}

TEST_F(ImportacaoProjectoTest, RefusalsLeaveNothingWritten) {
    write_file((origem / "DADOS.LDB").string(), "");
    EXPECT_NE(recusa().find("dados.mdb está em uso: existe DADOS.LDB"), std::string::npos);
    fs::remove(origem / "DADOS.LDB");

    bases["dados.mdb"].tabela_ilegivel = "Linhas";
    EXPECT_NE(recusa().find("tabela Linhas"), std::string::npos);
    bases["dados.mdb"].tabela_ilegivel.clear();

    bases["dados.mdb"].versao = 3;
    bases["dados.mdb"].palavra_passe = "outra";
    EXPECT_EQ(recusa(), "A palavra-passe de dados.mdb não é a que o ficheiro guarda.");
    bases["dados.mdb"].palavra_passe = "segredo";

    fs::create_directories(destino);
    EXPECT_THROW(importa(), ErroImportacao);
    EXPECT_TRUE(fs::is_empty(destino));
}

// A signal's request, noticed between two rows or by the statement under
// way, ends the import with nothing written, wherever it came.
TEST_F(ImportacaoProjectoTest, AnInterruptionRequestStopsTheImportWithNothingWritten) {
    for (const char* quando : {"BUPS", "Artigos", "Linhas"}) {
        SCOPED_TRACE(quando);
        Pedido pedido;
        pedido.origem = origem.string();
        pedido.destino = destino.string();
        pedido.projecto = "obras";
        Relatorio r;
        const auto pede = [&](const std::string&, const std::string& tabela, std::int64_t) {
            if (tabela == quando) engine::request_interruption(15);
        };
        EXPECT_THROW(importa_projecto(pedido, catalogo(bases), pede, r), ErroImportacao);
        engine::clear_interruption();
        nada_escrito();
    }
}

// Rows that break an enforced relation: the file is not half made.
TEST_F(ImportacaoProjectoTest, RowsBreakingARelationFailTheWholeImport) {
    bases["dados.mdb"].linhas["Linhas"].push_back({inteiro(99), nulo()});
    EXPECT_NE(recusa().find("dados.mdb"), std::string::npos);
}

TEST_F(ImportacaoProjectoTest, TheMainDatabaseIsTheOneWithARegister) {
    bases["dados.mdb"].tabelas.push_back(registo_jet());
    EXPECT_EQ(recusa(),
              "Várias bases de dados têm a tabela BUPS (Principal.MDB, dados.mdb): indique a "
              "principal com --main.");
    Pedido pedido;
    pedido.principal = "principal.mdb";
    EXPECT_EQ(importa(pedido).ficheiros.front().nome, "Principal.MDB");
}

}  // namespace
}  // namespace pezolva::importacao::testing
