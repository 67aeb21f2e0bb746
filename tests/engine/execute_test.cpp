#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

class ExecuteTest : public EngineTest {
  protected:
    Database db_ = make("e.mdb", R"(
        CREATE TABLE P (id INTEGER PRIMARY KEY);
        CREATE TABLE "Linhas de Factura" (id INTEGER PRIMARY KEY, p INTEGER REFERENCES P (id), nome TEXT UNIQUE);
        INSERT INTO P VALUES (1), (2);
        INSERT INTO "Linhas de Factura" VALUES (1, 1, 'a'), (2, 1, 'b'), (3, 2, 'c');)");
};

TEST_F(ExecuteTest, DeleteStarInEveryQuotingAndRowsAffected) {
    db_.Execute("delete * from [Linhas de Factura] where p = 2");
    EXPECT_EQ(db_.RecordsAffected(), 1);
    db_.Execute("DELETE * FROM `Linhas de Factura`;");
    EXPECT_EQ(db_.RecordsAffected(), 2);
    db_.Execute("update P set id = id + 10");
    EXPECT_EQ(db_.RecordsAffected(), 2);
    db_.Execute("CREATE TABLE x (a)");
    EXPECT_EQ(db_.RecordsAffected(), 0) << "DDL touches no rows";
    db_.Execute("delete * from \"P\"");
    EXPECT_EQ(db_.RecordsAffected(), 2);
}

TEST_F(ExecuteTest, FailuresHaveTheirNumbersAndChangeNothing) {
    EXPECT_EQ(error_number([&] { db_.Execute("delete * from Nada"); }), ErroTabelaInexistente);
    EXPECT_EQ(error_number([&] { db_.Execute("update P set nada = 1"); }), ErroColuna);
    EXPECT_EQ(error_number([&] { db_.Execute("update P set"); }), ErroSintaxe);
    EXPECT_EQ(
        error_number([&] { db_.Execute("INSERT INTO [Linhas de Factura] VALUES (9, 1, 'A')"); }),
        0);
    EXPECT_EQ(
        error_number([&] { db_.Execute("INSERT INTO [Linhas de Factura] VALUES (10, 1, 'a')"); }),
        ErroDuplicado);
    EXPECT_EQ(
        error_number([&] { db_.Execute("INSERT INTO [Linhas de Factura] VALUES (11, 7, 'z')"); }),
        ErroIntegridade);
    EXPECT_EQ(error_number([&] { db_.Execute("DELETE FROM P"); }), ErroIntegridade);
    EXPECT_EQ(db_.OpenRecordset("P").RecordCount(), 2);
    try {
        db_.Execute("SELECT * FROM Nenhuma");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(
            e.descricao().rfind("Não foi possível encontrar a tabela ou consulta 'Nenhuma'.", 0),
            0u)
            << e.descricao();
    }
}

TEST_F(ExecuteTest, TransactionRollsBackUnlessCommitted) {
    {
        Transaction transaction(db_);
        db_.Execute("delete * from [Linhas de Factura]");
    }
    EXPECT_EQ(db_.OpenRecordset("Linhas de Factura").RecordCount(), 3);
    {
        Transaction transaction(db_);
        db_.Execute("delete * from [Linhas de Factura]");
        transaction.Commit();
    }
    EXPECT_EQ(db_.OpenRecordset("Linhas de Factura").RecordCount(), 0);
}

TEST_F(ExecuteTest, QuotedNamesAndValuesStayWhatTheyAre) {
    const std::string table = "tab'ela \"x\"";
    const std::string field = "cam'po";
    db_.Execute("CREATE TABLE " + quote_identifier(table) + " (" + quote_identifier(field) +
                " TEXT)");
    const std::string value = "'); DROP TABLE P; --";
    db_.Execute("INSERT INTO " + quote_identifier(table) + " VALUES (" + quote_literal(value) +
                ")");
    Recordset rs = db_.OpenRecordset("SELECT * FROM " + quote_identifier(table) + " WHERE " +
                                     quote_identifier(field) + " = " + quote_literal(value));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs[field], Value(value));
    EXPECT_TRUE(db_.TableDefs().Contains("P"));
}

}  // namespace
}  // namespace pezolva::engine::testing
