#include "integrity/comparacao.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/error.h"
#include "support/databases.h"
#include "support/faulty_vfs.h"
#include "support/temp_dir.h"

namespace pezolva::integrity {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr const char* kParametros =
    "create table parametros (versao TEXT(20)); insert into parametros values ('1');";

// A database and its structure made from SQL, compared as a run compares
// them.
class ComparacaoTest : public ::testing::Test {
  protected:
    void cria(const std::string& sql_base, const std::string& sql_estrutura) {
        testing::make_database(base, sql_base).Close();
        testing::make_database(estrutura, sql_estrutura).Close();
    }
    // Compares with side A the database; the report's error lines.
    std::vector<std::string> compara() {
        Lado a(base, engine::OpenDatabase(base, false, true));
        Lado b(estrutura, engine::OpenDatabase(estrutura, false, true));
        return compara(a, b);
    }
    std::vector<std::string> compara(Lado& a, Lado& b) {
        estado.a_verificar = true;
        Comparacao(estado, relatorio).compara_bases(a, b);
        return relatorio.erros();
    }

    testing::TempDir dir;
    std::string base = dir.file("base.mdb");
    std::string estrutura = dir.file("estr.ebd");
    EstadoVerificacao estado;
    Relatorio relatorio;
};

TEST_F(ComparacaoTest, FieldDifferencesAreReportedFromEachSideWithTheValuesSwapped) {
    cria(
        std::string(kParametros) + "create table Clientes (id INTEGER, nome TEXT(50), n SMALLINT);",
        std::string(kParametros) +
            "create table CLIENTES (ID INTEGER, NOME TEXT(100), n INTEGER);");
    const std::string A = base, B = estrutura;
    EXPECT_THAT(
        compara(),
        ElementsAre(
            "O campo " + A + "!Clientes!nome tem tamanho 50 e o campo " + B +
                "!CLIENTES!NOME tem tamanho 100",
            "O campo " + A + "!Clientes!n tem tamanho 2 e o campo " + B +
                "!CLIENTES!n tem tamanho 4",
            "O campo " + A + "!Clientes!n tem tipo 3 e o campo " + B + "!CLIENTES!n tem tipo 4",
            "O campo " + B + "!CLIENTES!NOME tem tamanho 100 e o campo " + A +
                "!Clientes!nome tem tamanho 50",
            "O campo " + B + "!CLIENTES!n tem tamanho 4 e o campo " + A +
                "!Clientes!n tem tamanho 2",
            "O campo " + B + "!CLIENTES!n tem tipo 4 e o campo " + A + "!Clientes!n tem tipo 3"));
    const Diferenca& d = relatorio.diferencas().front();
    EXPECT_EQ(d.tipo, TipoDiferenca::Tamanho);
    EXPECT_EQ(d.base, A);
    EXPECT_EQ(d.estrutura, B);
    EXPECT_EQ(d.valor, "50");
    EXPECT_EQ(d.valor_outro, "100");
    // Each side's tables, fields and indexes, and the two parametros tables.
    EXPECT_EQ(estado.n_tabelas, 4);
    EXPECT_EQ(estado.n_campos, 8);
    EXPECT_EQ(estado.n_bds, 1);
}

TEST_F(ComparacaoTest, MissingObjectsFollowTheDirectionsOfThePasses) {
    cria(std::string(kParametros) +
             "create table so_na_base (id INTEGER);"
             "create table t (id INTEGER PRIMARY KEY, a TEXT(5), so_base TEXT(5));"
             "create index ix_base on t(a);"
             "create table f (id INTEGER, tid INTEGER, constraint rel_base foreign key (tid) "
             "references t(id));",
         std::string(kParametros) +
             "create table so_na_estrutura (id INTEGER);"
             "create table t (id INTEGER PRIMARY KEY, a TEXT(5), so_estr TEXT(5));"
             "create index ix_estr on t(a);"
             "create table f (id INTEGER, tid INTEGER, constraint rel_estr foreign key (tid) "
             "references t(id));");
    const std::string A = base, B = estrutura;
    EXPECT_THAT(
        compara(),
        ElementsAre("O campo " + A + "!t!so_base não existe na BD " + B,
                    "O índice " + A + "!t!ix_base não existe na BD " + B,
                    "A tabela " + B + "!so_na_estrutura não existe na base de dados " + A + ".",
                    "O campo " + B + "!t!so_estr não existe na BD " + A,
                    "O índice " + B + "!t!ix_estr não existe na BD " + A,
                    "A relação " + A + "!rel_base não existe na BD " + B,
                    "A relação " + B + "!rel_estr não existe na BD " + A));
    EXPECT_EQ(estado.n_relacoes, 2);
}

TEST_F(ComparacaoTest, SystemTablesAreNeitherCountedNorComparedNorReported) {
    cria(std::string(kParametros) + "create table MSYSconfig (a TEXT(5));",
         std::string(kParametros) +
             "create table msysAux (a TEXT(5)); create table MSYSconfig (b INTEGER);");
    EXPECT_THAT(compara(), IsEmpty());
    EXPECT_EQ(estado.n_tabelas, 2);  // parametros on each side
    EXPECT_EQ(estado.n_campos, 2);
}

TEST_F(ComparacaoTest, VersionCases) {
    struct Caso {
        const char* nome;
        std::string base, estrutura;
        std::vector<std::string> linhas;  // "A"/"B" stand for the paths
        int n_bds;
    };
    const std::string sem_row = "create table parametros (versao TEXT(20));";
    const std::string diferente = "create table t (x INTEGER);";
    const std::vector<Caso> casos = {
        {"Null against empty text",
         "create table parametros (versao TEXT(20)); insert into parametros values (NULL);",
         "create table parametros (versao TEXT(20)); insert into parametros values ('');" +
             diferente,
         {"tabela B!t"},
         1},
        {"versions that differ only in case",
         "create table parametros (versao TEXT(20)); insert into parametros values ('v1');",
         "create table parametros (versao TEXT(20)); insert into parametros values ('V1');",
         {},
         1},
        {"different versions",
         "create table parametros (versao TEXT(20)); insert into parametros values ('1');",
         "create table parametros (versao TEXT(20)); insert into parametros values ('2');" +
             diferente,
         {"As bases de dados A e B têm versões diferentes."},
         0},
        {"neither side has parametros", "", diferente, {"tabela B!t"}, 1},
        {"only the structure lacks parametros",
         kParametros,
         diferente,
         {"A base de dados B não tem registo de versão."},
         0},
        {"only the database lacks parametros",
         diferente,
         kParametros,
         {"A base de dados A não tem registo de versão."},
         0},
        {"a parametros without a row", sem_row, kParametros, {"3021 - "}, 0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        testing::TempDir pasta;
        base = pasta.file("base.mdb");
        estrutura = pasta.file("estr.ebd");
        cria(c.base, c.estrutura);
        estado = {};
        relatorio.limpa();
        const std::vector<std::string> linhas = compara();
        ASSERT_EQ(linhas.size(), c.linhas.size());
        for (std::size_t i = 0; i < linhas.size(); ++i) {
            std::string esperada = c.linhas[i];
            if (esperada == "tabela B!t") {
                esperada = "A tabela " + estrutura + "!t não existe na base de dados " + base + ".";
            }
            for (auto [marca, caminho] : {std::pair{std::string(" A "), " " + base + " "},
                                          std::pair{std::string(" B "), " " + estrutura + " "}}) {
                if (auto p = esperada.find(marca); p != std::string::npos)
                    esperada.replace(p, marca.size(), caminho);
            }
            EXPECT_THAT(linhas[i], HasSubstr(esperada));
        }
        EXPECT_EQ(estado.n_bds, c.n_bds);
        if (!relatorio.diferencas().empty() &&
            relatorio.diferencas()[0].tipo == TipoDiferenca::Versoes) {
            EXPECT_EQ(relatorio.diferencas()[0].valor, "1");
            EXPECT_EQ(relatorio.diferencas()[0].valor_outro, "2");
        }
    }
}

TEST_F(ComparacaoTest, RelationsOfTheSameNameOnTwoTablesAreMatchedWithTheirTable) {
    const std::string tabelas = std::string(kParametros) +
                                "create table p (id INTEGER PRIMARY KEY);"
                                "create table f1 (id INTEGER, pid INTEGER, constraint fk foreign "
                                "key (pid) references p(id));";
    cria(tabelas +
             "create table f2 (id INTEGER, pid INTEGER, constraint fk foreign key (pid) references "
             "p(id));",
         tabelas + "create table f2 (id INTEGER, pid INTEGER);");
    EXPECT_THAT(compara(), ElementsAre("A relação " + base + "!fk não existe na BD " + estrutura));
    EXPECT_EQ(relatorio.diferencas().front().tabela, "f2");
}

TEST_F(ComparacaoTest, ACancelDuringAFieldsPassLetsThatTableFinishAndStopsThePair) {
    cria(std::string(kParametros) +
             "create table a (x TEXT(1), y TEXT(1), z TEXT(1)); create index ia on a(x);"
             "create table b (x TEXT(1)); create table c (x TEXT(1));",
         std::string(kParametros) +
             "create table a (x TEXT(9), y TEXT(9), z TEXT(9)); create table b (x TEXT(9));");
    // parametros comes first in stored order: cancel on the first field of a.
    estado.mostra_estado = [this] {
        if (estado.tabela_actual == "a") estado.a_verificar = false;
    };
    const std::vector<std::string> linhas = compara();
    EXPECT_EQ(estado.n_tabelas, 2);     // parametros and a, one direction only
    EXPECT_EQ(estado.n_campos, 1 + 3);  // the whole fields pass of a
    EXPECT_EQ(estado.n_indices, 1);     // and its indexes pass
    EXPECT_EQ(estado.n_relacoes, 0);
    EXPECT_EQ(linhas.size(), 4u);  // three sizes and the index
}

// A side whose indexes cannot be read, as an engine failure in the middle
// of an indexes pass leaves it.
class IndicesQueFalham : public Lado {
  public:
    using Lado::Lado;
    const std::vector<IndiceLido>& indices(const TabelaLida& tabela) override {
        if (tabela.nome == "a")
            throw engine::EngineError(engine::ErroDisco, "Falha de leitura em a.");
        return Lado::indices(tabela);
    }
};

TEST_F(ComparacaoTest, AnErrorInsideAnIndexesPassIsReportedAndEndsOnlyThatTablesPass) {
    cria(std::string(kParametros) +
             "create table a (x TEXT(1)); create table b (x TEXT(1)); create table f (id INTEGER, "
             "constraint r foreign key (id) references b(x));",
         std::string(kParametros) + "create table a (x TEXT(1)); create table b (x TEXT(2));");
    IndicesQueFalham a(base, engine::OpenDatabase(base, false, true));
    Lado b(estrutura, engine::OpenDatabase(estrutura, false, true));
    const std::vector<std::string> linhas = compara(a, b);
    // A to B: the pass ends at a; B to A: a fails again, before b; the
    // relations passes still run.
    EXPECT_THAT(linhas,
                ElementsAre("3043 - Falha de leitura em a.", "3043 - Falha de leitura em a.",
                            "A relação " + base + "!r não existe na BD " + estrutura));
    EXPECT_FALSE(relatorio.sem_erros());
    EXPECT_EQ(relatorio.falhas().size(), 2u);
}

TEST_F(ComparacaoTest, AReadFailureOfTheEngineIsReportedNotPassedOver) {
    // Neither side has a version, so the pair is compared in full.
    cria("create table a (x TEXT(1));", "create table a (x TEXT(1));");
    testing::FaultyVfs vfs;
    {
        Lado a(base, engine::OpenDatabase(base, false, true));
        Lado b(estrutura, engine::OpenDatabase(estrutura, false, true));
        // Every read of the structure fails from now on, as a disk that went away.
        vfs.fail({testing::FaultyVfs::Read, "estr.ebd", 1, SQLITE_IOERR_READ, true});
        const std::vector<std::string> linhas = compara(a, b);
        ASSERT_FALSE(linhas.empty());
        for (const std::string& l : linhas) EXPECT_THAT(l, ::testing::MatchesRegex("[0-9]+ - .+"));
        EXPECT_EQ(relatorio.falhas().size(), linhas.size());
    }
    EXPECT_GE(vfs.failures(), 1);
}

TEST_F(ComparacaoTest, CountersGoPastSixteenBits) {
    std::string sql = kParametros;
    for (int t = 0; t < 9; ++t) {
        sql += "create table t" + std::to_string(t) + " (";
        for (int c = 0; c < 1900; ++c) sql += (c ? ", c" : "c") + std::to_string(c) + " INTEGER";
        sql += ");";
    }
    cria(sql, sql);
    EXPECT_THAT(compara(), IsEmpty());
    EXPECT_EQ(estado.n_campos, 2 * (9 * 1900 + 1));
    EXPECT_GT(estado.n_geral, 32767);
}

}  // namespace
}  // namespace pezolva::integrity
