#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

class RecordsetTest : public EngineTest {
  protected:
    Database db_ = make("rs.mdb", R"(
        CREATE TABLE Copias (id INTEGER PRIMARY KEY, nome TEXT(40) COLLATE NOCASE, data DATETIME,
                             hora DATETIME, activo BOOLEAN, valor DOUBLE, n SMALLINT);
        CREATE TABLE Vazia (a TEXT);
        INSERT INTO Copias VALUES (3, 'o''brien.mdb', '2005-05-19', '14:07:00', 1, 2, 5),
                                  (1, 'Brasol.mdb', '2005-05-19 14:07:00', NULL, 0, 1.5, NULL),
                                  (2, NULL, NULL, NULL, NULL, NULL, 7);)");
};

TEST_F(RecordsetTest, EmptyIsBothEofAndBof) {
    Recordset rs = db_.OpenRecordset("Vazia");
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(error_number([&] { rs.MoveFirst(); }), ErroSemRegistoActual);
    EXPECT_EQ(error_number([&] { rs.Fields("a"); }), ErroSemRegistoActual);
    EXPECT_EQ(error_number([&] { db_.OpenRecordset("Nenhuma"); }), ErroTabelaInexistente);
    EXPECT_EQ(error_number([&] { db_.OpenRecordset("select x from Vazia"); }), ErroColuna);
}

TEST_F(RecordsetTest, MovesInRowidOrderAndCountsExactly) {
    Recordset rs = db_.OpenRecordset("copias");
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.IsBOF());
    std::vector<Value> ids;
    for (; !rs.IsEOF(); rs.MoveNext()) ids.push_back(rs["ID"]);
    EXPECT_EQ(ids, (std::vector<Value>{std::int64_t{1}, std::int64_t{2}, std::int64_t{3}}));
    EXPECT_EQ(error_number([&] { rs.MoveNext(); }), ErroSemRegistoActual);
    rs.MoveLast();
    rs.MovePrevious();
    EXPECT_EQ(rs.Fields(std::size_t{0}), Value(std::int64_t{2}));
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(error_number([&] { rs.Fields("id"); }), ErroSemRegistoActual);
    rs.MoveFirst();
    EXPECT_EQ(error_number([&] { rs.Fields("nao_existe"); }), ErroItemInexistente);
}

TEST_F(RecordsetTest, ValuesAreTypedByTheirField) {
    Recordset rs = db_.OpenRecordset("SELECT * FROM Copias ORDER BY id DESC");
    EXPECT_EQ(rs["nome"], Value("o'brien.mdb"));
    EXPECT_EQ(rs["data"], Value(DateTime{2005, 5, 19, 0, 0, 0}));
    EXPECT_EQ(rs["hora"], Value(DateTime{1899, 12, 30, 14, 7, 0}));
    EXPECT_EQ(rs["activo"], Value(true));
    EXPECT_EQ(rs["valor"], Value(2.0));
    rs.MoveNext();
    EXPECT_TRUE(rs["nome"].is_null());
    EXPECT_TRUE(rs["activo"].is_null());
    rs.MoveNext();
    EXPECT_EQ(rs["data"], Value(DateTime{2005, 5, 19, 14, 7, 0}));
    EXPECT_EQ(rs["activo"], Value(false));
    const auto& fields = rs.FieldDefs();
    EXPECT_EQ(fields["nome"].Type(), TipoTexto);
    EXPECT_EQ(fields["nome"].Size(), 40);
    EXPECT_EQ(fields["n"].Type(), TipoInteiro);
}

TEST_F(RecordsetTest, EditAndUpdateWriteBackDatesBooleansAndNull) {
    Recordset rs = db_.OpenRecordset("select * from copias where n is not null");
    EXPECT_EQ(error_number([&] { rs.SetField("nome", Value("x")); }), ErroSemEdicao);
    rs.Edit();
    rs.SetField("NOME", Value("novo"));
    rs.SetField("data", Value(DateTime{2024, 2, 29, 23, 59, 58}));
    rs.SetField("hora", Value(DateTime{1899, 12, 30, 8, 0, 0}));
    rs.SetField("activo", Value(true));
    rs.SetField("n", Value::null());
    EXPECT_EQ(rs["nome"], Value("novo")) << "the edited value shows before Update";
    rs.Update();
    Recordset check = db_.OpenRecordset(
        "SELECT nome, data, hora, activo, n, typeof(activo) AS t FROM Copias WHERE id = 2");
    EXPECT_EQ(check["nome"], Value("novo"));
    EXPECT_EQ(check["data"], Value(DateTime{2024, 2, 29, 23, 59, 58}));
    EXPECT_EQ(check["hora"], Value(DateTime{1899, 12, 30, 8, 0, 0}));
    EXPECT_EQ(check["activo"], Value(true));
    EXPECT_EQ(check["t"], Value("integer"));
    EXPECT_TRUE(check["n"].is_null());
    EXPECT_EQ(db_.OpenRecordset("SELECT data FROM Copias WHERE id = 2")["data"].to_text(),
              "2024-02-29 23:59:58");
    EXPECT_EQ(error_number([&] { check.Edit(); }), ErroSoLeitura)
        << "a computed column: not a table's rows";
}

TEST_F(RecordsetTest, FailedUpdateKeepsTheRowAndTheEdit) {
    db_.Execute("CREATE UNIQUE INDEX ix ON Copias (nome)");
    Recordset rs = db_.OpenRecordset("Copias");
    rs.Edit();
    rs.SetField("nome", Value("BRASOL.MDB"));
    rs.MoveNext();  // moving cancels
    rs.Edit();
    rs.SetField("nome", Value("BRASOL.MDB"));
    EXPECT_EQ(error_number([&] { rs.Update(); }), ErroDuplicado);
    EXPECT_EQ(rs["nome"], Value("BRASOL.MDB"));
    rs.CancelUpdate();
    EXPECT_TRUE(rs["nome"].is_null());
    db_.Execute("DELETE FROM Copias WHERE id = 2");
    EXPECT_EQ(error_number([&] { rs.Fields("nome"); }), ErroRegistoEliminado);
}

TEST_F(RecordsetTest, FindFirstWithApostropheAndCaseBlindText) {
    Recordset rs = db_.OpenRecordset("Copias");
    rs.MoveLast();
    EXPECT_TRUE(rs.FindFirst("nome = " + quote_literal("O'BRIEN.MDB")));
    EXPECT_EQ(rs["id"], Value(std::int64_t{3}));
    EXPECT_FALSE(rs.NoMatch());
    EXPECT_FALSE(rs.FindFirst("nome = " + quote_literal("nada")));
    EXPECT_TRUE(rs.NoMatch());
    EXPECT_EQ(rs["id"], Value(std::int64_t{3})) << "no match: the position stays";
    EXPECT_TRUE(rs.FindFirst("n > 4"));
    EXPECT_EQ(rs["id"], Value(std::int64_t{2})) << "the first in recordset order";
    EXPECT_TRUE(rs.FindNext("n > 4"));
    EXPECT_EQ(rs["id"], Value(std::int64_t{3}));
    EXPECT_EQ(error_number([&] { rs.FindFirst("1) OR (1"); }), ErroSintaxe);
    EXPECT_EQ(error_number([&] { rs.FindFirst("1; DROP TABLE Copias"); }), ErroSintaxe);

    Recordset ordered =
        db_.OpenRecordset("SELECT nome AS n2, id FROM Copias c WHERE id > 1 ORDER BY id DESC");
    EXPECT_TRUE(ordered.Updatable());
    EXPECT_TRUE(ordered.FindFirst("n2 IS NULL"));
    EXPECT_EQ(ordered["id"], Value(std::int64_t{2}));
    Recordset computed = db_.OpenRecordset("SELECT id, upper(nome) AS u FROM Copias ORDER BY id");
    EXPECT_TRUE(computed.FindFirst("u = 'BRASOL.MDB'"));
    EXPECT_EQ(computed["id"], Value(std::int64_t{1}));
}

TEST_F(RecordsetTest, BookmarksAndClonesAreIndependentCursors) {
    Recordset rs = db_.OpenRecordset("Copias");
    rs.MoveNext();
    const std::int64_t mark = rs.Bookmark();
    Recordset clone = rs.Clone();
    EXPECT_EQ(clone["id"], rs["id"]);
    clone.MoveLast();
    EXPECT_EQ(rs["id"], Value(std::int64_t{2}));
    clone.SetBookmark(mark);
    EXPECT_EQ(clone["id"], Value(std::int64_t{2}));
    EXPECT_EQ(error_number([&] { clone.SetBookmark(999); }), ErroMarcador);
    rs.Close();
    EXPECT_EQ(clone.RecordCount(), 3);
    db_.Close();
    EXPECT_EQ(error_number([&] { clone.MoveFirst(); }), ErroObjectoFechado);
}

// A statement over any table a connection can read gives its rows, whether
// the table is stored in the file, is SQLite's own or is temporary; a
// table that exists nowhere is still ErroTabelaInexistente.
TEST_F(RecordsetTest, StatementsOverAnyReadableTableOpen) {
    db_.Execute("CREATE TEMP TABLE Temporaria (x INTEGER); INSERT INTO Temporaria VALUES (4), (5)");
    for (const char* sql :
         {"select name from sqlite_master", "select (name) from sqlite_master",
          "SELECT name, type FROM sqlite_schema WHERE type = 'table' ORDER BY name",
          "select x from Temporaria", "select * from temp.Temporaria",
          "select x from Temporaria where x > 4"}) {
        Recordset rs = db_.OpenRecordset(sql);
        EXPECT_FALSE(rs.IsEOF()) << sql;
    }
    Recordset nomes = db_.OpenRecordset("select name from sqlite_master where name = 'Copias'");
    EXPECT_EQ(nomes["name"].to_text(), "Copias");
    Recordset x = db_.OpenRecordset("select x from Temporaria");
    x.MoveLast();
    EXPECT_EQ(x.RecordCount(), 2);
    EXPECT_EQ(x["x"], Value(std::int64_t{5}));
    EXPECT_EQ(error_number([&] { db_.OpenRecordset("select a from Nenhuma"); }),
              ErroTabelaInexistente);
}

}  // namespace
}  // namespace pezolva::engine::testing
