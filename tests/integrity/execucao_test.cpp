#include "integrity/execucao.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "integrity/projecto_fixture.h"
#include "support/sem_privilegios.h"
#include "testproject/divergencias.h"
#include "testproject/projecto_teste.h"

namespace pezolva::integrity {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class ExecucaoTest : public testing::ProjectoFixture {
  protected:
    FimVerificacao executa() {
        engine::Database db = principal();
        return Verificacao(projecto.caminho, estado, relatorio).executa(db);
    }
    std::string linha_de(const std::string& base, const std::string& estrutura) {
        return "A verificar base de dados " + caminho(base) + " com " + caminho(estrutura) + ".";
    }

    EstadoVerificacao estado;
    Relatorio relatorio;
};

TEST_F(ExecucaoTest, AConsistentProjectLogsOneLinePerRowAndEndsWithNoErrors) {
    EXPECT_EQ(executa(), FimVerificacao::Concluida);
    EXPECT_THAT(relatorio.erros(), IsEmpty());
    EXPECT_THAT(relatorio.registo(),
                ElementsAre(linha_de(testproject::kPrincipal, testproject::kEstruturaPrincipal),
                            linha_de(testproject::kFotos, testproject::kEstruturaFotos),
                            linha_de(testproject::kLog, testproject::kEstruturaLog), "Concluido."));
    EXPECT_FALSE(estado.a_verificar);
    EXPECT_EQ(estado.n_geral, 0);  // counters back to zero, totals kept
    EXPECT_EQ(estado.n_bds, 0);
}

TEST_F(ExecucaoTest, DifferencesOfAStructureAreReportedAndTheRunStillReachesTheEnd) {
    engine::Database estr = testproject::abre_estrutura(p.principal);
    testproject::apaga_relacao(estr, testproject::kRelacaoTurnos);
    estr.Close();
    EXPECT_EQ(executa(), FimVerificacao::Concluida);
    EXPECT_THAT(relatorio.erros(),
                ElementsAre("A relação " + caminho(testproject::kPrincipal) + "!" +
                            testproject::kRelacaoTurnos + " não existe na BD " +
                            caminho(testproject::kEstruturaPrincipal)));
    EXPECT_EQ(relatorio.registo().back(), "Concluido.");
}

TEST_F(ExecucaoTest, AMissingStructureIsToldByTheCountPassAndStopsTheRunAtItsRow) {
    std::filesystem::remove(p.fotos.estrutura);
    engine::Database db = principal();
    Verificacao v(projecto.caminho, estado, relatorio);
    const auto linhas = v.carrega_bups(db);
    ASSERT_TRUE(linhas);
    v.conta_objectos(*linhas);
    EXPECT_THAT(relatorio.erros(),
                ElementsAre(std::string("O ficheiro ") + testproject::kEstruturaFotos +
                            " não foi encontrado. Configure os parâmetros de Backups"));
    EXPECT_EQ(estado.tot_bds, 3);
    EXPECT_GT(estado.tot_geral, estado.tot_tabelas);

    EXPECT_EQ(v.executa(db), FimVerificacao::Falhou);
    ASSERT_EQ(relatorio.erros().size(), 1u);
    EXPECT_THAT(relatorio.erros()[0], StartsWith("Não foi possível abrir o ficheiro " +
                                                 caminho(testproject::kEstruturaFotos) + ".\r\n"));
    EXPECT_THAT(relatorio.registo(),
                Contains(linha_de(testproject::kPrincipal, testproject::kEstruturaPrincipal)));
    EXPECT_THAT(relatorio.registo(), ::testing::Not(Contains(HasSubstr(testproject::kLog))));
}

TEST_F(ExecucaoTest, RowsThatCannotBeUsedEndTheRunThere) {
    struct Caso {
        const char* nome;
        std::string atribuicao;
        std::string linha;
    };
    const std::vector<Caso> casos = {
        {"a structure name that is a folder", "BUP_ULT_NOME_ESTRUTURA='outra/'",
         "A parametrização está mal configurada"},
        {"an empty database name", "BUP_NOME_BD=''", "A parametrização está mal configurada"},
        {"a Null structure name", "BUP_ULT_NOME_ESTRUTURA=NULL", "94 - "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        principal().Execute("update BUPS set BUP_ULT_NOME_ESTRUTURA='" +
                            std::string(testproject::kEstruturaFotos) + "', BUP_NOME_BD='" +
                            testproject::kFotos + "' where BUP_NOME_BD in ('', '" +
                            testproject::kFotos + "')");
        regista(testproject::kFotos, c.atribuicao);
        EXPECT_EQ(executa(), FimVerificacao::Falhou);
        ASSERT_EQ(relatorio.erros().size(), 1u);
        EXPECT_THAT(relatorio.erros()[0], StartsWith(c.linha));
        EXPECT_THAT(relatorio.registo(), ::testing::Not(Contains(HasSubstr(testproject::kLog))));
        EXPECT_EQ(relatorio.registo().back(), "Concluido.");
    }
}

TEST_F(ExecucaoTest, FilesAreLocatedFromTheProjectFolderAndTheDatabaseFolder) {
    struct Caso {
        Value nome_bd, estrutura;
        std::string base, estr;
    };
    const std::vector<Caso> casos = {
        {"a.mdb", "a.ebd", "/p/a.mdb", "/p/a.ebd"},
        {"/d/a.mdb", "a.ebd", "/d/a.mdb", "/d/a.ebd"},
        {"a.mdb", "/e/a.ebd", "/p/a.mdb", "/e/a.ebd"},
        {Value(), Value(), "/p/", "/p/"},
    };
    for (const Caso& c : casos) {
        const FicheirosLinha f = localiza({c.nome_bd, c.estrutura, Value()}, "/p");
        EXPECT_EQ(f.base, c.base);
        EXPECT_EQ(f.estrutura, c.estr);
        EXPECT_EQ(f.ligacao, "") << "a Null password opens a database that has none";
    }
    EXPECT_EQ(localiza({"a.mdb", "a.ebd", Value("kqa730418")}, "/p").ligacao, ";pwd=kqa730418");
}

TEST_F(ExecucaoTest, ACancelDuringTheSecondRowStopsThereAndTheCountersShowZero) {
    estado.mostra_estado = [this] {
        if (estado.bd_actual == caminho(testproject::kFotos)) estado.a_verificar = false;
    };
    EXPECT_EQ(executa(), FimVerificacao::Interrompida);
    EXPECT_THAT(
        relatorio.registo(),
        ElementsAre(linha_de(testproject::kPrincipal, testproject::kEstruturaPrincipal),
                    linha_de(testproject::kFotos, testproject::kEstruturaFotos), "Concluido."));
    EXPECT_EQ(estado.n_geral, 0);
    EXPECT_EQ(estado.n_tabelas, 0);
}

TEST_F(ExecucaoTest, AMissingOrEmptyRegisterFailsTheRun) {
    engine::Database db = principal();
    db.Execute("delete * from BUPS");
    Verificacao v(projecto.caminho, estado, relatorio);
    EXPECT_FALSE(v.carrega_bups(db));
    EXPECT_THAT(relatorio.erros(),
                ElementsAre("Não foi encontrada a tabela BUPS na base de dados principal."));
    EXPECT_EQ(v.executa(db), FimVerificacao::Falhou);
    EXPECT_THAT(relatorio.erros(), ElementsAre(StartsWith("3021 - ")));

    db.DeleteTableDef("BUPS");
    EXPECT_EQ(v.executa(db), FimVerificacao::Falhou);
    EXPECT_THAT(relatorio.erros(), ElementsAre(::testing::MatchesRegex("[0-9]+ - .+")));
}

// Without a window the run is made as the window makes it: no register is
// one line and no run; a file the count pass cannot open is told by its
// structure name, and the run then stops at that row.
TEST_F(ExecucaoTest, TheRunWithoutAWindowLoadsTheRegisterAndCountsFirst) {
    const std::string sem_registo = "Não foi encontrada a tabela BUPS na base de dados principal.";
    principal().Execute("delete * from BUPS");
    EXPECT_EQ(verifica_projecto(projecto, estado, relatorio), FimVerificacao::Falhou);
    EXPECT_THAT(relatorio.registo(), ElementsAre(sem_registo));
    EXPECT_THAT(relatorio.falhas(), ElementsAre(sem_registo));
    principal().DeleteTableDef("BUPS");
    EXPECT_EQ(verifica_projecto(projecto, estado, relatorio), FimVerificacao::Falhou);
    EXPECT_THAT(relatorio.registo(), ElementsAre(sem_registo));
}

TEST_F(ExecucaoTest, TheRunWithoutAWindowKeepsTheCountPassLines) {
    std::filesystem::remove(p.fotos.estrutura);
    EXPECT_EQ(verifica_projecto(projecto, estado, relatorio), FimVerificacao::Falhou);
    ASSERT_EQ(relatorio.erros().size(), 2u);
    EXPECT_EQ(relatorio.erros()[0], std::string("O ficheiro ") + testproject::kEstruturaFotos +
                                        " não foi encontrado. Configure os parâmetros de Backups");
    EXPECT_THAT(relatorio.erros()[1], StartsWith("Não foi possível abrir o ficheiro " +
                                                 caminho(testproject::kEstruturaFotos) + ".\r\n"));
    EXPECT_EQ(relatorio.registo().back(), "Concluido.");
}

// The verification opens both files read-only: a structure that cannot be
// written is verified like any other.
TEST_F(ExecucaoTest, AReadOnlyStructureIsVerified) {
    std::filesystem::permissions(p.fotos.estrutura,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    testing::entrega_ao_utilizador_comum(t.dir.path());
    const int resultado = testing::como_utilizador_comum([&] {
        engine::Database db = principal();
        Verificacao v(projecto.caminho, estado, relatorio);
        v.conta_objectos(*v.carrega_bups(db));
        if (!relatorio.sem_erros()) return 1;
        if (v.executa(db) != FimVerificacao::Concluida) return 2;
        return relatorio.sem_erros() ? 0 : 3;
    });
    EXPECT_EQ(resultado, 0);
}

}  // namespace
}  // namespace pezolva::integrity
