// The register cursor of the backup window, without the window.
#include "register/registo_bups.h"

#include <gtest/gtest.h>

#include "engine/error.h"
#include "support/temp_dir.h"

namespace pezolva {
namespace {

// A main database with a small register of the old format (no integrity
// frequency column).
class RegistoBupsTest : public ::testing::Test {
  protected:
    RegistoBupsTest() {
        projecto.caminho = dir.str();
        projecto.nome_bd = "p.mdb";
        projecto.passwd = "segredo";
        bd = engine::CreateDatabase(projecto.base_principal(), projecto.passwd);
        bd.Execute(
            "create table BUPS (BUP_NOME_BD TEXT(25) primary key, BUP_N_DIAS_INTERVALO SMALLINT, "
            "BUP_CAMINHO_DESTINO TEXT(255), BUP_ULT_DATA DATETIME, BUP_ULT_HORA DATETIME);"
            "insert into BUPS values ('p.mdb', 1, '/copias', '2005-05-18', '14:07:00');"
            "insert into BUPS values ('d''Ávila.mdb', 0, null, null, null);"
            "insert into BUPS values ('c.mdb', 3, '/c', '2005-05-18', null);");
    }
    std::vector<Value> coluna(const std::string& nome) {
        std::vector<Value> valores;
        for (auto rs = bd.OpenRecordset("select * from BUPS"); !rs.IsEOF(); rs.MoveNext()) {
            valores.push_back(rs[nome]);
        }
        return valores;
    }

    testing::TempDir dir;
    ProjectoActual projecto;
    engine::Database bd;
    RegistoBups registo;
};

TEST_F(RegistoBupsTest, LinesAndDueRowsInRegisterOrder) {
    registo.abre(projecto);
    ASSERT_TRUE(registo.carrega());
    const auto linhas = registo.linhas();
    ASSERT_EQ(linhas.size(), 3u);
    EXPECT_EQ(linhas[0].nome, "p.mdb");
    EXPECT_EQ(linhas[0].destino, "/copias");
    EXPECT_EQ(linhas[0].ultima, "18-05-2005 14:07:00");
    EXPECT_EQ(linhas[1].destino, "");
    EXPECT_EQ(linhas[1].ultima, "");
    EXPECT_EQ(linhas[2].ultima, "18-05-2005");
    EXPECT_EQ(registo.devidas(DateTime{2005, 5, 19, 14, 6, 59}), std::vector<std::string>{});
    EXPECT_EQ(registo.devidas(DateTime{2005, 5, 19, 14, 7, 0}), std::vector<std::string>{"p.mdb"});
    EXPECT_EQ(registo.nome_actual(), "p.mdb") << "the position stays on the first row";
}

TEST_F(RegistoBupsTest, MovingByNameQuotesItAndStaysPutWhenNotFound) {
    registo.abre(projecto);
    ASSERT_TRUE(registo.carrega());
    EXPECT_TRUE(registo.vai_para("d'Ávila.mdb"));
    EXPECT_EQ(registo.nome_actual(), "d'Ávila.mdb");
    EXPECT_TRUE(registo.vai_para("c.mdb"));
    EXPECT_FALSE(registo.vai_para("x' or '1'='1"));
    EXPECT_EQ(registo.nome_actual(), "c.mdb");
}

TEST_F(RegistoBupsTest, AColumnTheTableLacksReadsAsNullWithNoDefinition) {
    registo.abre(projecto);
    ASSERT_TRUE(registo.carrega());
    EXPECT_EQ(registo.definicao("n_integridades_bd"), nullptr);
    EXPECT_TRUE(registo.valor("n_integridades_bd").is_null());
    ASSERT_NE(registo.definicao("bup_nome_bd"), nullptr);
    EXPECT_EQ(registo.definicao("bup_nome_bd")->Size(), 25);
}

TEST_F(RegistoBupsTest, AFailedSaveLeavesTheRowAsStoredAndTheCursorUsable) {
    registo.abre(projecto);
    ASSERT_TRUE(registo.carrega());
    EXPECT_THROW(registo.grava("BUP_NOME_BD", Value("c.mdb")), engine::EngineError);
    EXPECT_EQ(registo.nome_actual(), "p.mdb");
    registo.grava("BUP_N_DIAS_INTERVALO", Value(4));
    EXPECT_EQ(coluna("BUP_N_DIAS_INTERVALO")[0], Value(4));
}

TEST_F(RegistoBupsTest, AValueForEveryRowGoesToAllOrToNone) {
    registo.abre(projecto);
    ASSERT_TRUE(registo.carrega());
    registo.vai_para("c.mdb");
    registo.grava_em_todas("BUP_CAMINHO_DESTINO", Value("/todas"));
    EXPECT_EQ(coluna("BUP_CAMINHO_DESTINO"), std::vector<Value>(3, Value("/todas")));
    EXPECT_EQ(registo.nome_actual(), "c.mdb");

    bd.Execute(
        "create trigger recusa before update on BUPS when new.BUP_NOME_BD='c.mdb' "
        "begin select raise(abort, 'recusada'); end");
    EXPECT_THROW(registo.grava_em_todas("BUP_CAMINHO_DESTINO", Value("/outra")),
                 engine::EngineError);
    EXPECT_EQ(coluna("BUP_CAMINHO_DESTINO"), std::vector<Value>(3, Value("/todas")));
    EXPECT_EQ(registo.valor("BUP_CAMINHO_DESTINO"), Value("/todas"));
}

}  // namespace
}  // namespace pezolva
