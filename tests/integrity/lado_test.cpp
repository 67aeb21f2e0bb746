#include "integrity/lado.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/error.h"
#include "support/databases.h"
#include "support/faulty_vfs.h"
#include "support/temp_dir.h"

namespace pezolva::integrity {
namespace {

// One side of a comparison over a database made from SQL.
class LadoTest : public ::testing::Test {
  protected:
    Lado& lado(const std::string& sql) {
        testing::make_database(caminho, sql).Close();
        lado_.emplace(caminho, engine::OpenDatabase(caminho, false, true));
        return *lado_;
    }

    testing::TempDir dir;
    std::string caminho = dir.file("base.mdb");
    std::optional<Lado> lado_;
};

TEST(TabelaDeSistema, TheEnginesOwnTablesInAnyCaseAndNothingElse) {
    for (const char* sim : {"MSysPalavraPasse", "msysAux", "MSYS", "MsYsX"}) {
        EXPECT_TRUE(tabela_de_sistema(sim)) << sim;
    }
    for (const char* nao : {"Msy", "Sistema", "AMSys", " MSys", ""}) {
        EXPECT_FALSE(tabela_de_sistema(nao)) << nao;
    }
}

TEST_F(LadoTest, ObjectsAreFoundByNameWithoutRegardToCase) {
    Lado& l = lado(
        "create table Clientes (Id INTEGER PRIMARY KEY, Nome TEXT(50));"
        "create index IxNome on Clientes(Nome);"
        "create table Obras (id INTEGER, cliente INTEGER,"
        " constraint FkCliente foreign key (cliente) references Clientes(Id));");
    const TabelaLida* clientes = l.procura_tabela(chave("CLIENTES"));
    ASSERT_NE(clientes, nullptr);
    EXPECT_EQ(clientes->nome, "Clientes");
    ASSERT_NE(procura(clientes->campos, chave("nome")), nullptr);
    EXPECT_EQ(procura(clientes->campos, chave("nome"))->tamanho, 50);
    EXPECT_NE(procura(clientes->indices, chave("ixnome")), nullptr);
    EXPECT_EQ(procura(clientes->campos, chave("morada")), nullptr);
    EXPECT_EQ(l.procura_tabela(chave("Fornecedores")), nullptr);

    const RelacaoLida* fk = l.procura_relacao(chave("fkcliente"), chave("OBRAS"));
    ASSERT_NE(fk, nullptr);
    EXPECT_EQ(fk->tabela, "Obras");
    EXPECT_EQ(l.procura_relacao(chave("fkcliente"), chave("Clientes")), nullptr)
        << "a relation belongs to the table that declares it";
}

TEST_F(LadoTest, OfTwoRelationsOfOneNameOnOneTableTheFirstIsFound) {
    Lado& l = lado(
        "create table a (id INTEGER PRIMARY KEY);"
        "create table b (id INTEGER PRIMARY KEY);"
        "create table f (x INTEGER, y INTEGER,"
        " constraint fk foreign key (x) references a(id),"
        " constraint fk foreign key (y) references b(id));");
    ASSERT_EQ(l.relacoes().size(), 2u);
    EXPECT_EQ(l.procura_relacao(chave("fk"), chave("f")), &l.relacoes()[0]);
}

TEST_F(LadoTest, TotalsCountEveryTableButOnlyTheFieldsAndIndexesOfUserTables) {
    Lado& l = lado(
        "create table MSysAux (a TEXT(5), b TEXT(5)); create index ix_aux on MSysAux(a);"
        "create table p (id INTEGER PRIMARY KEY, n TEXT(5)); create index ix_n on p(n);"
        "create table f (id INTEGER, pid INTEGER, constraint r foreign key (pid) references "
        "p(id));");
    const Totais t = l.totais();
    EXPECT_EQ(t.tabelas, 3);
    EXPECT_EQ(t.campos, 4);
    // ix_aux is not counted; ix_n and whatever the engine shows for keys are.
    const std::size_t indices =
        l.procura_tabela("p")->indices.size() + l.procura_tabela("f")->indices.size();
    EXPECT_EQ(t.indices, static_cast<std::int64_t>(indices));
    EXPECT_GE(t.indices, 1);
    EXPECT_EQ(t.relacoes, 1);
    EXPECT_EQ(t.soma(), t.tabelas + t.campos + t.indices + t.relacoes);
}

TEST_F(LadoTest, TheVersionIsTheFirstRowsAndNullReadsAsEmpty) {
    Lado& com_versao = lado(
        "create table parametros (versao TEXT(20));"
        "insert into parametros values ('2.1'); insert into parametros values ('9');");
    ASSERT_TRUE(com_versao.abre_versao());
    EXPECT_EQ(com_versao.le_versao(), "2.1");

    caminho = dir.file("nula.mdb");
    Lado& nula =
        lado("create table parametros (versao TEXT(20)); insert into parametros values (NULL);");
    ASSERT_TRUE(nula.abre_versao());
    EXPECT_EQ(nula.le_versao(), "");

    caminho = dir.file("vazia.mdb");
    Lado& vazia = lado("create table parametros (versao TEXT(20));");
    ASSERT_TRUE(vazia.abre_versao());
    EXPECT_THROW(vazia.le_versao(), engine::EngineError)
        << "no row: the engine's error, for the pass to report";

    caminho = dir.file("sem.mdb");
    EXPECT_FALSE(lado("create table t (x INTEGER);").abre_versao());
}

// The schema is read when a pass first asks for it, so that a failing disk
// is an error of that pass, and not read again: the counts and the passes
// of one pair see one schema.
TEST_F(LadoTest, TheSchemaIsReadOnFirstUseAndOnlyOnce) {
    testing::make_database(caminho, "create table t (x INTEGER);").Close();
    testing::FaultyVfs vfs;
    {
        Lado falha(caminho, engine::OpenDatabase(caminho, false, true));
        vfs.fail({testing::FaultyVfs::Read, "base.mdb", 1, SQLITE_IOERR_READ, true});
        EXPECT_THROW(falha.tabelas(), engine::EngineError);
    }
    vfs.disarm();

    caminho = dir.file("outra.mdb");
    Lado& l = lado("create table t (x INTEGER);");
    ASSERT_EQ(l.tabelas().size(), 1u);
    engine::Database outra = engine::OpenDatabase(caminho);
    outra.Execute("create table u (y INTEGER)");
    outra.Close();
    EXPECT_EQ(l.tabelas().size(), 1u);
    EXPECT_EQ(l.procura_tabela("u"), nullptr);
}

}  // namespace
}  // namespace pezolva::integrity
