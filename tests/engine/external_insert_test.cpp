#include <filesystem>

#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

namespace fs = std::filesystem;

class ExternalInsertTest : public EngineTest {
  protected:
    // The live database, with no rules, holding good and bad rows.
    Database live_ = make("live.mdb", R"(
        CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
        CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER, q TEXT, v INTEGER, s TEXT, obrig TEXT);
        INSERT INTO P VALUES (1, 'um'), (2, 'dois');)");

    // A copy with the rules, empty.
    std::string make_copy(const std::string& file) {
        CreateDatabase(file).Execute(R"(
            CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
            CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER REFERENCES P (id), q TEXT UNIQUE,
                            v INTEGER CHECK (v >= 0), s SMALLINT, obrig TEXT NOT NULL);)");
        return file;
    }

    std::string copy(const std::string& table, const std::string& file) {
        return "insert into " + table + " in " + quote_literal(file) + " select * from " + table;
    }

    std::vector<std::int64_t> ids(const std::string& file, const std::string& table) {
        Database db = OpenDatabase(file);
        std::vector<std::int64_t> out;
        for (Recordset rs = db.OpenRecordset("SELECT id FROM " + table + " ORDER BY id");
             !rs.IsEOF(); rs.MoveNext())
            out.push_back(*rs["id"].to_integer());
        return out;
    }

    int attached() {
        return static_cast<int>(live_.OpenRecordset("PRAGMA database_list").RecordCount());
    }
};

TEST_F(ExternalInsertTest, RowsBreakingARuleAreLeftOutAndNotCounted) {
    live_.Execute(R"(INSERT INTO C VALUES
        (1, 1, 'a', 1, '1', 'x'),
        (2, 99, 'b', 1, '1', 'x'),     -- no parent
        (3, 1, 'c', 1, '1', NULL),     -- NOT NULL
        (4, 2, 'a', 1, '1', 'x'),      -- duplicate q
        (5, 2, 'e', -1, '1', 'x'),     -- CHECK
        (6, 2, 'f', 1, 'abc', 'x'),    -- text in a numeric column
        (7, NULL, 'g', 0, '12', 'x')   -- no parent needed; '12' is a number
    )");
    const std::string file = make_copy(path("copia.mdb"));
    live_.Execute(copy("P", file));
    EXPECT_EQ(live_.RecordsAffected(), 2);
    live_.Execute(copy("c", file));
    EXPECT_EQ(live_.RecordsAffected(), 2);
    EXPECT_EQ(ids(file, "C"), (std::vector<std::int64_t>{1, 7}));
    EXPECT_EQ(attached(), 1);
}

TEST_F(ExternalInsertTest, FastPathStillChecksRelationsAndTypes) {
    live_.Execute(
        "INSERT INTO C VALUES (1, 1, 'a', 1, 5, 'x'), (2, 3, 'b', 1, 5, 'x'), (3, 2, 'c', 1, "
        "x'00', 'x')");
    const std::string file = make_copy(path("copia.mdb"));
    live_.Execute(copy("P", file));
    live_.Execute(copy("C", file));
    EXPECT_EQ(live_.RecordsAffected(), 1);
    EXPECT_EQ(ids(file, "C"), (std::vector<std::int64_t>{1}));
}

TEST_F(ExternalInsertTest, RowsAlreadyInTheTargetAreLeftAlone) {
    const std::string file = make_copy(path("copia.mdb"));
    {
        Database target = OpenDatabase(file);
        target.Execute("PRAGMA foreign_keys=OFF");
        target.Execute("INSERT INTO C VALUES (100, 55, 'z', 1, 1, 'x')");  // breaks its relation
    }
    live_.Execute("INSERT INTO C VALUES (1, 1, 'a', 1, 1, 'x'), (2, 1, 'z', 1, 1, 'x')");
    live_.Execute(copy("P", file));
    live_.Execute(copy("C", file));
    EXPECT_EQ(live_.RecordsAffected(), 1);
    EXPECT_EQ(ids(file, "C"), (std::vector<std::int64_t>{1, 100}));
}

TEST_F(ExternalInsertTest, TablesWithoutRowidAreJudgedByTheirKey) {
    live_.Execute(
        R"(CREATE TABLE K (a TEXT, b INTEGER, p INTEGER, PRIMARY KEY (a, b)) WITHOUT ROWID;
                     INSERT INTO K VALUES ('x', 1, 1), ('x', 2, 99), ('y', 1, NULL);)");
    const std::string file = make_copy(path("copia.mdb"));
    {
        Database target = OpenDatabase(file);
        target.Execute(
            R"(CREATE TABLE K (a TEXT, b INTEGER, p INTEGER REFERENCES P (id), PRIMARY KEY (a, b))
                          WITHOUT ROWID;
                          PRAGMA foreign_keys=OFF;
                          INSERT INTO K VALUES ('z', 9, 77);)");
    }
    live_.Execute(copy("P", file));
    live_.Execute(copy("K", file));
    EXPECT_EQ(live_.RecordsAffected(), 2);
    Database db = OpenDatabase(file);
    std::vector<std::string> keys;
    for (Recordset rs = db.OpenRecordset("SELECT a || b AS k FROM K ORDER BY a, b"); !rs.IsEOF();
         rs.MoveNext())
        keys.push_back(rs["k"].to_text());
    EXPECT_EQ(keys, (std::vector<std::string>{"x1", "y1", "z9"}));
}

TEST_F(ExternalInsertTest, ATableThatRefersToItselfLosesWholeBrokenChains) {
    live_.Execute(R"(CREATE TABLE T (id INTEGER PRIMARY KEY, pai INTEGER);
                     INSERT INTO T VALUES (1, NULL), (2, 1), (3, 99), (4, 3), (5, 4);)");
    const std::string file = path("arvore.mdb");
    CreateDatabase(file).Execute(
        "CREATE TABLE T (id INTEGER PRIMARY KEY, pai INTEGER REFERENCES T (id))");
    live_.Execute(copy("T", file));
    EXPECT_EQ(live_.RecordsAffected(), 2);
    EXPECT_EQ(ids(file, "T"), (std::vector<std::int64_t>{1, 2}));
}

TEST_F(ExternalInsertTest, FailuresLeaveNothingAttachedAndNoNewFile) {
    const std::string file = make_copy(path("copia.mdb"));
    EXPECT_EQ(error_number([&] {
                  live_.Execute("insert into X in " + quote_literal(file) + " select * from P");
              }),
              ErroTabelaInexistente);
    EXPECT_EQ(attached(), 1);
    EXPECT_EQ(error_number([&] { live_.Execute(copy("Nada", file)); }), ErroTabelaInexistente);
    pezolva::testing::write_file(path("texto.mdb"), std::string(5000, 't'));
    try {
        live_.Execute(copy("P", path("texto.mdb")));
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.numero(), ErroNaoBaseDados);
        EXPECT_NE(e.descricao().find(path("texto.mdb")), std::string::npos) << e.descricao();
    }
    EXPECT_EQ(attached(), 1);
    const std::string missing = path("nao_existe.mdb");
    EXPECT_EQ(error_number([&] { live_.Execute(copy("P", missing)); }), ErroFicheiroInexistente);
    EXPECT_FALSE(fs::exists(missing));
    live_.Execute("CREATE TABLE Larga (a, b, c, d, e, f, g)");
    live_.Execute("INSERT INTO Larga VALUES (1, 2, 3, 4, 5, 6, 7)");
    EXPECT_NE(error_number([&] {
                  live_.Execute("insert into C in " + quote_literal(file) + " select * from Larga");
              }),
              0);
    EXPECT_EQ(attached(), 1);
    {
        Transaction transaction(live_);
        EXPECT_EQ(error_number([&] { live_.Execute(copy("P", file)); }), ErroMotor);
    }
    EXPECT_EQ(attached(), 1);
    EXPECT_TRUE(ids(file, "P").empty());
    EXPECT_EQ(error_number([&] { live_.Execute("INSERT INTO C VALUES (9, 99, 'q', 1, 1, 'x')"); }),
              0)
        << "the live database has no rule here";
    EXPECT_EQ(live_.OpenRecordset("PRAGMA foreign_keys")[std::string_view("foreign_keys")],
              Value(std::int64_t{1}))
        << "foreign keys are enforced again afterwards";
}

TEST_F(ExternalInsertTest, AKeyAnIntegerKeyCannotHoldLeavesOutItsRowNotTheTable) {
    // SQLite refuses such a value outright, whatever OR IGNORE says.  In
    // another order too, where the fields are listed by name.
    live_.Execute(R"(CREATE TABLE K (n TEXT, id TEXT PRIMARY KEY);
                     INSERT INTO K VALUES ('um', '1'), ('x', 'abc'), ('meio', '1.5'), ('três', '3'),
                                          ('bin', x'01'), ('dois', '2.0');)");
    for (const char* order : {"id INTEGER PRIMARY KEY, n TEXT", "n TEXT, id INTEGER PRIMARY KEY"}) {
        SCOPED_TRACE(order);
        const std::string file = path(std::string("k") + order[0] + ".mdb");
        CreateDatabase(file).Execute(std::string("CREATE TABLE K (") + order + ")");
        live_.Execute(copy("K", file));
        EXPECT_EQ(live_.RecordsAffected(), 3);
        EXPECT_EQ(ids(file, "K"), (std::vector<std::int64_t>{1, 2, 3}));
    }
}

TEST_F(ExternalInsertTest, FieldsAreMatchedByNameNotByPosition) {
    live_.Execute(R"(CREATE TABLE Pessoas (id INTEGER PRIMARY KEY, nome TEXT, apelido TEXT);
                     INSERT INTO Pessoas VALUES (1, 'Ana', 'Silva'), (2, 'Rui', 'Costa');)");
    const std::string file = path("pessoas.mdb");
    CreateDatabase(file).Execute(R"(
        CREATE TABLE pessoas (id INTEGER PRIMARY KEY, Apelido TEXT, pais TEXT DEFAULT 'PT', NOME TEXT);
        CREATE TABLE curta (id INTEGER PRIMARY KEY, nome TEXT);
        INSERT INTO curta VALUES (7, 'antes');)");
    live_.Execute(copy("Pessoas", file));
    EXPECT_EQ(live_.RecordsAffected(), 2);
    {
        Database db = OpenDatabase(file);
        std::vector<std::string> got;
        for (Recordset rs =
                 db.OpenRecordset("SELECT nome || ' ' || apelido || ' ' || pais AS r FROM pessoas "
                                  "ORDER BY id");
             !rs.IsEOF(); rs.MoveNext())
            got.push_back(rs["r"].to_text());
        EXPECT_EQ(got, (std::vector<std::string>{"Ana Silva PT", "Rui Costa PT"}));
    }
    // A live field with nowhere to go: the statement fails, as a column
    // unknown to it would, and the target keeps what it had.
    EXPECT_EQ(
        error_number([&] {
            live_.Execute("insert into curta in " + quote_literal(file) + " select * from Pessoas");
        }),
        ErroColuna);
    EXPECT_EQ(ids(file, "curta"), (std::vector<std::int64_t>{7}));
    EXPECT_EQ(attached(), 1);
}

TEST_F(ExternalInsertTest, PathWithApostrophe) {
    fs::create_directories(dir_.path() / "o'brien");
    const std::string file = make_copy((dir_.path() / "o'brien" / "db.mdb").string());
    live_.Execute("INSERT INTO C VALUES (1, 1, 'a', 1, 1, 'x')");
    live_.Execute(copy("P", file));
    live_.Execute(copy("C", file));
    EXPECT_EQ(live_.RecordsAffected(), 1);
    EXPECT_EQ(ids(file, "C"), (std::vector<std::int64_t>{1}));
}

// The target of "insert into T in 'file'" is opened by the rules of any
// other open: not while another holds it exclusively, and only with the
// password of the database the statement runs on.
TEST_F(ExternalInsertTest, TheTargetIsOpenedByTheRulesOfAnyOpen) {
    const std::string file = make_copy(path("copia.mdb"));
    {
        Holder holder(file, "exclusive");
        ASSERT_EQ(holder.status(), "ready");
        EXPECT_EQ(error_number([&] { live_.Execute(copy("P", file)); }), ErroEmUso);
        EXPECT_EQ(attached(), 1);
    }
    EXPECT_TRUE(ids(file, "P").empty());

    Database alheia =
        make("alheia.mdb", "CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT)", "outra");
    alheia.Close();
    EXPECT_EQ(error_number([&] { live_.Execute(copy("P", path("alheia.mdb"))); }),
              ErroPalavraPasse);
    EXPECT_EQ(attached(), 1);
    EXPECT_EQ(OpenDatabase(path("alheia.mdb"), false, false, ";pwd=outra")
                  .OpenRecordset("P")
                  .RecordCount(),
              0);

    // The same password as the source's opens it, as a copy of it has.
    Database origem =
        make("origem.mdb", "CREATE TABLE P (id INTEGER PRIMARY KEY); INSERT INTO P VALUES (7)",
             "segredo");
    make("destino.mdb", "CREATE TABLE P (id INTEGER PRIMARY KEY)", "segredo").Close();
    origem.Execute(copy("P", path("destino.mdb")));
    EXPECT_EQ(origem.RecordsAffected(), 1);
    pezolva::testing::write_file(path("vazio.mdb"), "");
    EXPECT_EQ(error_number([&] { live_.Execute(copy("P", path("vazio.mdb"))); }), ErroNaoBaseDados);
}

}  // namespace
}  // namespace pezolva::engine::testing
