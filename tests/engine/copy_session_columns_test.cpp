#include "engine/copy_session.h"
#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

// A live table and the copy's structure may list the same fields in
// another order (a field added at the end of the live table, declared in
// the middle of a new structure), or one may have fields the other lacks.
// Values must land in the field of their name.
class CopySessionColumnsTest : public EngineTest {
  protected:
    Database live_ = make("live.mdb", R"(
        CREATE TABLE pessoas (id INTEGER PRIMARY KEY, nome TEXT, apelido TEXT);
        INSERT INTO pessoas VALUES (1, 'Ana', 'Silva'), (2, 'Rui', 'Costa');
        CREATE TABLE moradas (id INTEGER PRIMARY KEY, rua TEXT);
        INSERT INTO moradas VALUES (1, 'Rua Direita'), (2, 'Rua Nova');)");

    std::string make_copy(const std::string& name, const std::string& sql) {
        CreateDatabase(path(name)).Execute(sql);
        return path(name);
    }

    // The rows of `table` in `file`, ordered by id, as "v1|v2;..." (Null as
    // "-").
    std::string rows(const std::string& file, const std::string& table,
                     const std::string& columns) {
        Database db = OpenDatabase(file);
        Recordset rs = db.OpenRecordset("SELECT " + columns + " FROM " + quote_identifier(table) +
                                        " ORDER BY id");
        std::string out;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            if (!out.empty()) out += ';';
            for (std::size_t i = 0; i < rs.FieldDefs().Count(); ++i) {
                const Value v = rs.Fields(i);
                out += (i ? "|" : "") + (v.is_null() ? std::string("-") : v.to_text());
            }
        }
        return out;
    }
};

TEST_F(CopySessionColumnsTest, ValuesLandInTheFieldOfTheirNameWhateverTheOrderOrCase) {
    const std::string copy = make_copy("copia.mdb", R"(
        CREATE TABLE pessoas (id INTEGER PRIMARY KEY, APELIDO TEXT, Nome TEXT);
        -- Fields the live table lacks: a default, a Null.
        CREATE TABLE moradas (id INTEGER PRIMARY KEY, cidade TEXT NOT NULL DEFAULT 'Lisboa', rua TEXT,
                              cp TEXT);)");
    CopySession session(live_, copy, {"pessoas", "moradas"});
    const CopiedRows pessoas = session.CopyTable("Pessoas");
    EXPECT_EQ(pessoas.read, 2);
    EXPECT_EQ(pessoas.kept, 2);
    EXPECT_EQ(session.CopyTable("moradas").kept, 2);
    EXPECT_FALSE(session.Finish()) << "not by the transfer path: the file may not be compact";

    EXPECT_EQ(rows(copy, "pessoas", "id, nome, apelido"), "1|Ana|Silva;2|Rui|Costa");
    EXPECT_EQ(rows(copy, "moradas", "id, rua, cidade, cp"),
              "1|Rua Direita|Lisboa|-;2|Rua Nova|Lisboa|-");
}

TEST_F(CopySessionColumnsTest, AFieldOnlyTheCopyHasThatAllowsNoNullRefusesTheRows) {
    const std::string copy = make_copy("copia.mdb", R"(
        CREATE TABLE pessoas (id INTEGER PRIMARY KEY, nome TEXT, apelido TEXT, nif TEXT NOT NULL);
        CREATE TABLE moradas (id INTEGER PRIMARY KEY, rua TEXT, cp TEXT CHECK (cp IS NOT NULL));)");
    CopySession session(live_, copy, {"pessoas", "moradas"});
    const CopiedRows pessoas = session.CopyTable("pessoas");
    EXPECT_EQ(pessoas.read, 2);
    EXPECT_EQ(pessoas.kept, 0);
    const CopiedRows moradas = session.CopyTable("moradas");
    EXPECT_EQ(moradas.read, 2);
    EXPECT_EQ(moradas.kept, 0);
    EXPECT_FALSE(session.Broken()) << "rows refused are no error";
    session.Finish();
    EXPECT_EQ(rows(copy, "pessoas", "id"), "");
}

TEST_F(CopySessionColumnsTest, ALiveFieldTheCopyLacksFailsThatTableAloneAndLeavesItAsItWas) {
    live_.Execute("ALTER TABLE pessoas ADD COLUMN nif TEXT");
    const std::string copy = make_copy("copia.mdb", R"(
        CREATE TABLE pessoas (id INTEGER PRIMARY KEY, apelido TEXT, nome TEXT);
        INSERT INTO pessoas VALUES (9, 'antes', 'da cópia');
        CREATE TABLE moradas (id INTEGER PRIMARY KEY, rua TEXT);)");
    CopySession session(live_, copy, {"pessoas", "moradas"});
    try {
        session.CopyTable("pessoas");
        ADD_FAILURE() << "a field with nowhere to go was copied";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.numero(), ErroColuna);
        EXPECT_NE(e.descricao().find("'pessoas'"), std::string::npos) << e.descricao();
        EXPECT_NE(e.descricao().find("'nif'"), std::string::npos) << e.descricao();
        EXPECT_NE(e.descricao().find(copy), std::string::npos) << e.descricao();
    }
    EXPECT_FALSE(session.Broken());
    EXPECT_EQ(session.CopyTable("moradas").kept, 2);
    EXPECT_FALSE(session.Finish());
    EXPECT_EQ(rows(copy, "pessoas", "id, nome, apelido"), "9|da cópia|antes");
    EXPECT_EQ(rows(copy, "moradas", "id, rua"), "1|Rua Direita;2|Rua Nova");
}

TEST_F(CopySessionColumnsTest, TheSameFieldsInTheSameOrderStillGoByTheTransferPath) {
    // Only the case of the names differs; the file comes out compact only
    // when SQLite moved whole records, which an explicit field list stops.
    live_.Execute(R"(WITH RECURSIVE s(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM s WHERE i < 5000)
                     INSERT INTO pessoas SELECT i, 'nome ' || i, 'apelido ' || i FROM s)");
    const std::string copy = make_copy("copia.mdb", R"(
        CREATE TABLE PESSOAS (ID INTEGER PRIMARY KEY, Nome TEXT, APELIDO TEXT);
        CREATE TABLE moradas (id INTEGER PRIMARY KEY, rua TEXT);)");
    CopySession session(live_, copy, {"pessoas", "moradas"});
    EXPECT_EQ(session.CopyTable("pessoas").kept, 5000);
    EXPECT_EQ(session.CopyTable("moradas").kept, 2);
    EXPECT_TRUE(session.Finish());
    EXPECT_EQ(rows(copy, "pessoas", "nome, apelido").substr(0, 15), "Ana|Silva;Rui|C");
}

}  // namespace
}  // namespace pezolva::engine::testing
