#include "engine/copy_session.h"

#include <filesystem>

#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

namespace fs = std::filesystem;

// The live database and a copy's structure share their columns, so that a
// second reader of the live database can judge the rows in its place, in
// rollback-journal mode; in WAL mode the copy is always judged itself.
// Either way the outcome must be the same.
class CopySessionTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        live_ = make("live.mdb", R"(
            CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
            CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER, v INTEGER);
            CREATE INDEX ix_c_p ON C (p);
            INSERT INTO P VALUES (1, 'um'), (2, 'dois');)");
        live_.Execute(std::string("PRAGMA journal_mode=") + GetParam());
    }

    // An empty copy with the rules: C refers to P.
    std::string make_copy(const std::string& name, const std::string& extra = "") {
        CreateDatabase(path(name))
            .Execute(R"(
            CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
            CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER REFERENCES P (id), v INTEGER);
            CREATE INDEX ix_c_p ON C (p);)" +
                     extra);
        return path(name);
    }

    std::int64_t value(const std::string& file, const std::string& sql) {
        Database db = OpenDatabase(file);
        return db.OpenRecordset(sql).Fields(std::size_t{0}).to_integer().value_or(-1);
    }

    std::int64_t pages(const std::string& file) { return value(file, "PRAGMA page_count"); }

    // The pages the file would have once compacted.
    std::int64_t compacted_pages(const std::string& file) {
        const std::string compacted = file + ".compactada";
        CompactDatabase(file, compacted);
        return pages(compacted);
    }

    Database live_;
};

INSTANTIATE_TEST_SUITE_P(JournalModes, CopySessionTest, ::testing::Values("delete", "wal"));

TEST_P(CopySessionTest, RowsBreakingATypeOrARelationAreLeftOutEvenWhenTheColumnsMatch) {
    // Each kind of broken row alone, so that no check can ride on another's
    // finding.  The live column v is INTEGER as in the copy, yet SQLite lets
    // it hold a text: a matching declared type proves nothing.
    struct Case {
        const char* rows;
        std::int64_t kept_ids;  // sum of 1 << id over the rows kept
    };
    const Case cases[] = {
        {"(1, 1, 5), (3, 2, 'abc'), (5, 2, '7')", (1 << 1) + (1 << 5)},  // '7' is a number
        {"(1, 1, 5), (4, NULL, x'00')", 1 << 1},
        {"(1, 1, 5), (2, 99, 5)", 1 << 1},
        {"(1, 1, 5), (6, NULL, NULL), (7, 2, 2.5)", (1 << 1) + (1 << 6) + (1 << 7)},
    };
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.rows);
        live_.Execute("DELETE FROM C");
        live_.Execute(std::string("INSERT INTO C VALUES ") + k.rows);
        const std::string copy = make_copy("copia" + std::to_string(++n) + ".mdb");
        CopySession session(live_, copy, {"P", "C"});
        const CopiedRows p = session.CopyTable("P");
        EXPECT_EQ(p.read, 2);
        EXPECT_EQ(p.kept, 2);
        const CopiedRows c = session.CopyTable("c");
        EXPECT_EQ(c.read, value(path("live.mdb"), "SELECT count(*) FROM C"));
        EXPECT_EQ(session.Finish(), c.kept == c.read) << "a row taken out leaves room to reclaim";
        EXPECT_EQ(value(copy, "SELECT sum(1 << id) FROM C"), k.kept_ids);
        EXPECT_EQ(value(copy, "SELECT count(*) FROM C"), c.kept);
    }
}

TEST_P(CopySessionTest, ChildrenOfAParentLeftOutAreLeftOutToo) {
    // The copy refuses parent 2; its child has a parent in the live
    // database, but not in the copy.
    live_.Execute("INSERT INTO C VALUES (1, 1, 1), (2, 2, 2)");
    const std::string copy = path("copia.mdb");
    CreateDatabase(copy).Execute(R"(
        CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT CHECK (n <> 'dois'));
        CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER REFERENCES P (id), v INTEGER);
        CREATE INDEX ix_c_p ON C (p);)");
    CopySession session(live_, copy, {"P", "C"});
    EXPECT_EQ(session.CopyTable("P").kept, 1);
    const CopiedRows c = session.CopyTable("C");
    EXPECT_EQ(c.read, 2);
    EXPECT_EQ(c.kept, 1);
    EXPECT_FALSE(session.Finish());
    EXPECT_TRUE(OpenDatabase(copy).OpenRecordset("PRAGMA foreign_key_check").IsEOF());
}

TEST_P(CopySessionTest, ACleanCopyIsAsCompactAsVacuumWouldMakeIt) {
    live_.Execute(R"(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 20000)
                     INSERT INTO C SELECT i, 1 + i % 2, i * 3 FROM s)");
    const std::string copy = make_copy("copia.mdb");
    CopySession session(live_, copy, {"P", "C"});
    session.CopyTable("P");
    EXPECT_EQ(session.CopyTable("C").kept, 20000);
    EXPECT_TRUE(session.Finish());
    EXPECT_EQ(value(copy, "PRAGMA freelist_count"), 0);
    EXPECT_LE(pages(copy), compacted_pages(copy));
    EXPECT_TRUE(OpenDatabase(copy).OpenRecordset("PRAGMA foreign_key_check").IsEOF());
}

TEST_P(CopySessionTest, ACopyThatIsNotSurelyCompactSaysSo) {
    live_.Execute(R"(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 5000)
                     INSERT INTO C SELECT i, 1, i FROM s)");
    {
        // A NOT NULL the live column lacks: SQLite then inserts row by row,
        // which leaves the index pages part filled, though no row is lost.
        const std::string copy = make_copy("row_by_row.mdb");
        Database db = OpenDatabase(copy);
        db.Execute("DROP TABLE C");
        db.Execute(
            "CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER NOT NULL REFERENCES P (id), v "
            "INTEGER)");
        db.Execute("CREATE INDEX ix_c_p ON C (p)");
        db.Close();
        CopySession session(live_, copy, {"P", "C"});
        session.CopyTable("P");
        EXPECT_EQ(session.CopyTable("C").kept, 5000);
        EXPECT_FALSE(session.Finish());
    }
    {
        // Free pages the copy had before, more than the fill takes.
        const std::string copy = make_copy("free_pages.mdb", R"(
            CREATE TABLE Lixo (x);
            INSERT INTO Lixo VALUES (zeroblob(4000000));
            DROP TABLE Lixo;)");
        CopySession session(live_, copy, {"P", "C"});
        session.CopyTable("P");
        session.CopyTable("C");
        EXPECT_FALSE(session.Finish());
    }
    {
        // Rows of a table copied twice: the second time its target is not
        // empty, and the first copy's rows break the key of the second.
        const std::string copy = make_copy("twice.mdb");
        CopySession session(live_, copy, {"P", "C"});
        session.CopyTable("P");
        session.CopyTable("C");
        const CopiedRows again = session.CopyTable("C");
        EXPECT_EQ(again.read, 5000);
        EXPECT_EQ(again.kept, 0);
        EXPECT_FALSE(session.Finish());
    }
}

TEST_P(CopySessionTest, EveryTableIsReadFromTheStateTheSessionBeganWith) {
    live_.Execute("INSERT INTO C VALUES (1, 1, 1)");
    const std::string copy = make_copy("copia.mdb");
    Database writer = OpenDatabase(path("live.mdb"));
    writer.Execute("PRAGMA busy_timeout=0");
    bool written = false;
    {
        CopySession session(live_, copy, {"P", "C"});
        session.CopyTable("P");
        // Another user adds a parent and its child between the two tables.
        // In rollback-journal mode the commit waits for the session's read
        // lock (here it gives up at once); in WAL mode it goes in, unseen.
        written = error_number([&] {
                      writer.Execute(
                          "BEGIN; INSERT INTO P VALUES (3, 'três'); INSERT INTO C VALUES (2, 3, "
                          "1); COMMIT");
                  }) == 0;
        if (!written) writer.Execute("ROLLBACK");
        EXPECT_EQ(written, std::string(GetParam()) == "wal");
        const CopiedRows c = session.CopyTable("C");
        EXPECT_EQ(c.read, 1);
        EXPECT_EQ(c.kept, 1);
        session.Finish();
    }
    EXPECT_EQ(value(copy, "SELECT count(*) FROM P"), 2);
    EXPECT_EQ(value(copy, "SELECT count(*) FROM C"), 1);
    if (!written)
        writer.Execute(
            "BEGIN; INSERT INTO P VALUES (3, 'três'); INSERT INTO C VALUES (2, 3, 1); COMMIT");
    EXPECT_EQ(value(path("live.mdb"), "SELECT count(*) FROM C"), 2) << "the source is free again";
}

TEST_P(CopySessionTest, AFailedTableLeavesTheOthersAndAnUnfinishedSessionLeavesNothing) {
    live_.Execute("INSERT INTO C VALUES (1, 1, 1)");
    const std::string copy = make_copy("copia.mdb");
    {
        CopySession session(live_, copy, {"P", "Nada", "C"});
        session.CopyTable("P");
        EXPECT_EQ(error_number([&] { session.CopyTable("Nada"); }), ErroTabelaInexistente);
        EXPECT_EQ(session.CopyTable("C").kept, 1);
        // Gone without Finish.
    }
    EXPECT_EQ(value(copy, "SELECT count(*) FROM P"), 0);
    EXPECT_EQ(live_.OpenRecordset("PRAGMA database_list").RecordCount(), 1)
        << "nothing stays attached";
    EXPECT_EQ(live_.OpenRecordset("PRAGMA foreign_keys").Fields(std::size_t{0}),
              Value(std::int64_t{1}));
    live_.Execute("INSERT INTO P VALUES (9, 'nove')");  // no transaction left open
    {
        Transaction open(live_);
        EXPECT_EQ(error_number([&] { CopySession(live_, copy, {"P"}); }), ErroMotor);
    }
    EXPECT_EQ(error_number([&] { CopySession(live_, path("nao_existe.mdb"), {"P"}); }),
              ErroFicheiroInexistente);
    EXPECT_FALSE(fs::exists(path("nao_existe.mdb")));
}

}  // namespace
}  // namespace pezolva::engine::testing
