#include "register/lembrete.h"

#include <gtest/gtest.h>

#include "engine/quoting.h"
#include "register/bups.h"
#include "register/percurso.h"
#include "support/databases.h"
#include "support/fixtures.h"

namespace pezolva {
namespace {

const DateTime kAgora{2005, 5, 19, 14, 7, 0};

// A register with the three default rows of a brasol project.
class LembreteTest : public ::testing::Test {
  protected:
    LembreteTest() {
        ProjectoActual p;
        p.caminho = t.dir.str();
        p.nome_bd = "brasol.mdb";
        EXPECT_TRUE(cria_bups(db, p, t.dialogs));
    }
    void muda(const std::string& nome, const std::string& atribuicoes) {
        db.Execute("update BUPS set " + atribuicoes +
                   " where BUP_NOME_BD=" + engine::quote_literal(nome));
    }
    bool pergunta() {
        engine::Recordset rs = db.OpenRecordset("BUPS");
        return precisa_lembrete(rs, kAgora);
    }

    testing::TestServices t;
    engine::Database db = testing::make_database(t.dir.file("brasol.mdb"));
};

TEST_F(LembreteTest, ANewProjectAsksBecauseOfTheMainDatabaseAlone) {
    EXPECT_TRUE(pergunta());
    muda("brasol.mdb", "BUP_ULT_APARECE_AVISO=0");
    // The photos and log rows are due too, but their flag is off.
    EXPECT_FALSE(pergunta());
}

TEST_F(LembreteTest, ALaterDueRowWithTheFlagStillAsks) {
    muda("brasol.mdb", "BUP_ULT_APARECE_AVISO=0");
    muda("log.mdb", "BUP_ULT_APARECE_AVISO=1");
    EXPECT_TRUE(pergunta());
    muda("log.mdb", "BUP_ULT_DATA='2005-05-18', BUP_ULT_HORA='14:07:01'");
    EXPECT_FALSE(pergunta());
}

TEST_F(LembreteTest, NoIntervalNeverAsks) {
    muda("brasol.mdb", "BUP_N_DIAS_INTERVALO=0");
    EXPECT_FALSE(pergunta());
    muda("brasol.mdb", "BUP_N_DIAS_INTERVALO=Null");
    EXPECT_FALSE(pergunta());
}

TEST_F(LembreteTest, DueExactlyOneIntervalAfterTheLastCopy) {
    muda("brasol.mdb", "BUP_ULT_DATA='2005-05-18', BUP_ULT_HORA='14:07:00'");
    EXPECT_TRUE(pergunta());
    muda("brasol.mdb", "BUP_ULT_HORA='14:07:01'");
    EXPECT_FALSE(pergunta());
}

TEST_F(LembreteTest, DueRowsAreListedInRegisterOrderLeavingTheCursorAlone) {
    muda("brasol_fotos.mdb", "BUP_ULT_DATA='2005-05-18', BUP_ULT_HORA='14:07:00'");
    muda("log.mdb", "BUP_N_DIAS_INTERVALO=0");
    engine::Recordset rs = db.OpenRecordset("BUPS");
    rs.MoveNext();
    EXPECT_EQ(bases_devidas(rs, kAgora), std::vector<std::string>{"brasol.mdb"});
    EXPECT_EQ(nomes_das_bases(rs),
              (std::vector<std::string>{"brasol.mdb", "brasol_fotos.mdb", "log.mdb"}));
    EXPECT_EQ(rs["BUP_NOME_BD"].to_text(), "brasol_fotos.mdb");
    engine::Recordset vazio = db.OpenRecordset("select * from BUPS where 0");
    EXPECT_TRUE(bases_devidas(vazio, kAgora).empty());
}

TEST(PerguntaLembrete, TextsOfTheQuestion) {
    const Choice c = pergunta_lembrete();
    EXPECT_EQ(c.title, "Cópias de Segurança");
    EXPECT_EQ(c.text, "É aconselhável fazer cópias de segurança de alguns ficheiros.");
    EXPECT_EQ(c.options, (std::vector<std::string>{"&Fazer", "&Não Fazer", "&Configurar"}));
}

}  // namespace
}  // namespace pezolva
