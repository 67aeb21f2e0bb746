#include "compaction/faz_jetcomp_a_tudo.h"

#include "compactacao_fixture.h"
#include "compaction/era_readonly.h"

namespace pezolva::testing {
namespace {

class FazJetcompATudoTest : public CompactacaoTest {
  protected:
    void SetUp() override {
        CompactacaoTest::SetUp();
        projecto.caminho = pasta;
        projecto.projecto = "Brasol";
        projecto.nome_bd = "brasol.mdb";
        projecto.passwd = kPasse;
    }

    // The main database with a register naming `linhas` (name, password).
    void cria_registo(const std::vector<std::pair<const char*, const char*>>& linhas) {
        cria_base();
        engine::Database db =
            engine::OpenDatabase(em("brasol.mdb"), false, false, std::string(";pwd=") + kPasse);
        db.Execute("create table BUPS (BUP_NOME_BD text, BUP_PASSWD text)");
        for (const auto& [nome, passe] : linhas) {
            db.Execute(std::string("insert into BUPS values (") +
                       (nome ? "'" + std::string(nome) + "'" : "null") + ", " +
                       (passe ? "'" + std::string(passe) + "'" : "null") + ")");
        }
    }

    bool faz() {
        return faz_jetcomp_a_tudo(
            t.services, ambiente, projecto,
            [&](const std::string& f) { return era_readonly(t.files, t.dialogs, f); },
            [&](const std::string& nome, bool ok, const DetalheCompactacao& d) {
                feitas.push_back(nome + (ok ? " ok" : " falhou"));
                resultados.push_back({nome, ok, d});
            });
    }

    ProjectoActual projecto;
    std::vector<std::string> feitas;
    std::vector<CompactacaoFeita> resultados;
};

TEST_F(FazJetcompATudoTest, AFailureInTheMiddleMakesTheWholeFalseAndTheLoopGoesOn) {
    cria_registo(
        {{"BRASOL.MDB", kPasse}, {"falta.mdb", nullptr}, {nullptr, nullptr}, {"log.mdb", "logpw"}});
    cria_base("log.mdb", "logpw");
    instala_jetcomp();

    EXPECT_FALSE(faz());
    EXPECT_EQ(feitas,
              (std::vector<std::string>{"brasol.mdb ok", "falta.mdb falhou", "log.mdb ok"}));
    ASSERT_EQ(t.dialogs.shown().size(), 2u);
    EXPECT_EQ(t.dialogs.shown()[0].text.rfind(
                  "A base de dados não existe no caminho especificado. Erro: ", 0),
              0u);
    EXPECT_EQ(t.dialogs.shown()[1].text, falha_reparar("falta.mdb"));
    EXPECT_TRUE(std::filesystem::exists(em("log200505191407.mdb")));
    EXPECT_EQ(obras(em("log.mdb"), "logpw"), 300);

    // The summary: how many, then each database with its dated file or why not.
    const std::string resumo = resumo_compactacao(resultados);
    EXPECT_EQ(resumo.rfind("Bases de dados compactadas: 2 de 3.\n\n"
                           "brasol.mdb: compactada; a anterior ficou em brasol200505191407.mdb.\n"
                           "falta.mdb: não foi compactada",
                           0),
              0u)
        << resumo;
    EXPECT_NE(resumo.find("\nlog.mdb: compactada; a anterior ficou em log200505191407.mdb."),
              std::string::npos)
        << resumo;
    EXPECT_EQ(resumo_compactacao({}), "Nenhuma base de dados foi compactada.");
}

TEST_F(FazJetcompATudoTest, TrueOnlyWhenEveryCompactionSucceeded) {
    cria_registo({{"brasol.mdb", kPasse}});
    instala_jetcomp();
    EXPECT_TRUE(faz());
    EXPECT_EQ(feitas, (std::vector<std::string>{"brasol.mdb ok"}));
}

TEST_F(FazJetcompATudoTest, AMainDatabaseThatIsNotCompactedEndsAtOnceWithoutTheRegister) {
    cria_base();  // no register at all: opening it would throw
    instala_falso("exit 1");
    EXPECT_FALSE(faz());
    EXPECT_EQ(feitas, (std::vector<std::string>{"brasol.mdb falhou"}));
}

}  // namespace
}  // namespace pezolva::testing
