#include <csignal>

#include "engine/copy_session.h"
#include "engine/interruption.h"
#include "engine_fixture.h"
#include "support/faulty_vfs.h"

namespace pezolva::engine::testing {
namespace {

using pezolva::testing::FaultyVfs;

// A disk that fills up, or a read that fails, in the middle of a table's
// copy is not a row refused: the copy is incomplete, must not be finished,
// and the error names the file that failed.
class CopySessionFaultsTest : public EngineTest {
  protected:
    void SetUp() override {
        // C is several times SQLite's page cache, so that its copy writes
        // the target while it runs, not only at the commit.
        make("live.mdb", R"(
            CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
            CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER, t TEXT);
            INSERT INTO P VALUES (1, 'um'), (2, 'dois');
            WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 40000)
            INSERT INTO C SELECT i, 1 + i % 2, printf('%0120d', i) FROM s;)");
    }

    std::string make_copy(const std::string& name) {
        CreateDatabase(path(name)).Execute(R"(
            CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
            CREATE TABLE C (id INTEGER PRIMARY KEY, p INTEGER REFERENCES P (id), t TEXT);)");
        return path(name);
    }

    std::int64_t count(const std::string& file, const std::string& table) {
        Database db = OpenDatabase(file);
        return *db.OpenRecordset("SELECT count(*) FROM " + table)
                    .Fields(std::size_t{0})
                    .to_integer();
    }

    // The calls of `operation` on files named by `part` that copying C
    // makes, on a fresh connection (nothing cached) and a fresh copy.
    int calls_copying_c(FaultyVfs::Operation operation, const std::string& part) {
        Database live = OpenDatabase(path("live.mdb"));
        CopySession session(live, make_copy("ensaio.mdb"), {"P", "C"});
        session.CopyTable("P");
        const int before = vfs_.calls(operation, part);
        session.CopyTable("C");
        return vfs_.calls(operation, part) - before;
    }

    // The error `action` throws (number 0 when none).
    static EngineError error_of(const std::function<void()>& action) {
        try {
            action();
        } catch (const EngineError& e) {
            return e;
        }
        return EngineError(0, "");
    }

    FaultyVfs vfs_;  // made before, and gone after, every connection of the test
};

TEST_F(CopySessionFaultsTest, ADiskFullWhileCopyingATableBreaksTheSessionAndNamesTheCopy) {
    const int writes = calls_copying_c(FaultyVfs::Write, "ensaio.mdb");
    ASSERT_GT(writes, 10) << "C must be written while it is copied";
    // Once (the disk frees up again), and lasting (SQLite cannot even roll
    // the file back: the next opener does, from the journal).
    for (const bool lasting : {false, true}) {
        SCOPED_TRACE(lasting ? "lasting" : "once");
        const std::string copy = make_copy(lasting ? "copia_cheia.mdb" : "copia.mdb");
        {
            Database live = OpenDatabase(path("live.mdb"));
            CopySession session(live, copy, {"P", "C"});
            EXPECT_EQ(session.CopyTable("P").kept, 2);
            vfs_.fail({FaultyVfs::Write, copy, writes / 2, SQLITE_FULL, lasting});
            const EngineError full = error_of([&] { session.CopyTable("C"); });
            EXPECT_EQ(full.numero(), ErroDiscoCheio) << full.descricao();
            EXPECT_NE(full.descricao().find("'" + copy + "'"), std::string::npos)
                << full.descricao();
            EXPECT_EQ(full.descricao().find("live.mdb"), std::string::npos) << full.descricao();
            EXPECT_TRUE(session.Broken());
            EXPECT_EQ(error_of([&] { session.CopyTable("P"); }).numero(), ErroMotor);
            const EngineError finish = error_of([&] { session.Finish(); });
            EXPECT_EQ(finish.numero(), ErroMotor);
            EXPECT_NE(finish.descricao().find("espaço"), std::string::npos)
                << "says why: " << finish.descricao();
            vfs_.disarm();
        }
        EXPECT_EQ(count(copy, "P"), 0) << "none of the session's rows stays";
        EXPECT_EQ(count(copy, "C"), 0);
        EXPECT_EQ(OpenDatabase(copy).OpenRecordset("PRAGMA integrity_check").Fields(std::size_t{0}),
                  Value(std::string("ok")));
    }
}

TEST_F(CopySessionFaultsTest, AFullFileBreaksTheSessionEvenWhenSQLiteUndidOnlyTheStatement) {
    // A page limit of the target's (as a quota would be) fills it without
    // an error of the disk: SQLite then undoes the statement and keeps the
    // transaction, with P's rows in it.
    const std::string copy = make_copy("copia.mdb");
    {
        Database live = OpenDatabase(path("live.mdb"));
        CopySession session(live, copy, {"P", "C"});
        session.CopyTable("P");
        live.Execute("PRAGMA pz_ext.max_page_count = 60");
        const EngineError full = error_of([&] { session.CopyTable("C"); });
        EXPECT_EQ(full.numero(), ErroDiscoCheio) << full.descricao();
        EXPECT_NE(full.descricao().find("'" + copy + "'"), std::string::npos) << full.descricao();
        EXPECT_TRUE(session.Broken());
        EXPECT_EQ(error_of([&] { session.Finish(); }).numero(), ErroMotor);
    }
    EXPECT_EQ(count(copy, "P"), 0) << "an incomplete copy was committed";
}

TEST_F(CopySessionFaultsTest, ADiskFullAtTheCommitNamesTheCopy) {
    const std::string copy = make_copy("copia.mdb");
    Database live = OpenDatabase(path("live.mdb"));
    CopySession session(live, copy, {"P"});
    session.CopyTable("P");
    vfs_.fail({FaultyVfs::Write, copy, 1, SQLITE_FULL, true});
    const EngineError full = error_of([&] { session.Finish(); });
    EXPECT_EQ(full.numero(), ErroDiscoCheio) << full.descricao();
    EXPECT_NE(full.descricao().find("'" + copy + "'"), std::string::npos) << full.descricao();
    EXPECT_TRUE(session.Broken());
    vfs_.disarm();
    live.Close();
    EXPECT_EQ(count(copy, "P"), 0);
}

TEST_F(CopySessionFaultsTest, AnInterruptionBreaksTheSession) {
    const std::string copy = make_copy("copia.mdb");
    {
        Database live = OpenDatabase(path("live.mdb"));
        CopySession session(live, copy, {"P", "C"});
        session.CopyTable("P");
        request_interruption(SIGTERM);
        const int number = error_number([&] { session.CopyTable("C"); });
        clear_interruption();
        EXPECT_EQ(number, ErroCancelado);
        EXPECT_TRUE(session.Broken());
        EXPECT_EQ(error_number([&] { session.Finish(); }), ErroMotor);
    }
    EXPECT_EQ(count(copy, "P"), 0);
}

TEST_F(CopySessionFaultsTest, AReadErrorOnTheLiveDatabaseBreaksTheSessionAndNamesIt) {
    // A WAL database: no second reader runs beside the copy, so that the
    // reads of the live file are the same in both runs.
    OpenDatabase(path("live.mdb")).Execute("PRAGMA journal_mode=wal");
    const std::string live_file = path("live.mdb");
    const int reads = calls_copying_c(FaultyVfs::Read, live_file);
    ASSERT_GT(reads, 10);
    const std::string copy = make_copy("copia.mdb");
    {
        Database live = OpenDatabase(live_file);
        CopySession session(live, copy, {"P", "C"});
        session.CopyTable("P");
        vfs_.fail({FaultyVfs::Read, live_file, reads / 2, SQLITE_IOERR_READ});
        const EngineError error = error_of([&] { session.CopyTable("C"); });
        EXPECT_EQ(error.numero(), ErroDisco) << error.descricao();
        EXPECT_NE(error.descricao().find("'" + live_file + "'"), std::string::npos)
            << error.descricao();
        EXPECT_TRUE(session.Broken());
        EXPECT_EQ(error_of([&] { session.Finish(); }).numero(), ErroMotor);
    }
    EXPECT_EQ(count(copy, "P"), 0);
    EXPECT_EQ(count(copy, "C"), 0);
}

}  // namespace
}  // namespace pezolva::engine::testing
