#include "support/faulty_vfs.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

using pezolva::testing::FaultyVfs;

// The engine opens its connections with SQLite's default file layer, so
// that a test can put a faulty one in its place: the faults must reach
// the engine's statements, and only the files named.
TEST(FaultyVfsTest, FailsTheChosenCallOfTheChosenFilesOfTheEngine) {
    pezolva::testing::TempDir dir;
    FaultyVfs vfs;
    {
        Database a = CreateDatabase(dir.file("a.mdb"));
        Database b = CreateDatabase(dir.file("b.mdb"));
        a.Execute("CREATE TABLE T (x)");
        b.Execute("CREATE TABLE T (x)");
        EXPECT_GT(vfs.calls(FaultyVfs::Write, "a.mdb"), 0)
            << "the engine's connections go through the layer";

        // One insert writes n times (journal and database); the n+1st write
        // to a.mdb from now on fails, once.
        const int before = vfs.calls(FaultyVfs::Write, "a.mdb");
        a.Execute("INSERT INTO T VALUES (1)");
        const int n = vfs.calls(FaultyVfs::Write, "a.mdb") - before;
        vfs.fail({FaultyVfs::Write, "a.mdb", n + 1, SQLITE_FULL});
        b.Execute("INSERT INTO T VALUES (1)");
        a.Execute("INSERT INTO T VALUES (2)");
        EXPECT_EQ(vfs.failures(), 0) << "another file is not counted";
        EXPECT_EQ(error_number([&] { a.Execute("INSERT INTO T VALUES (99)"); }), ErroDiscoCheio);
        EXPECT_EQ(vfs.failures(), 1);
        a.Execute("INSERT INTO T VALUES (1)");  // one failure only

        // A read error, lasting.  (Each statement reads the schema cookie.)
        a.Close();
        a = OpenDatabase(dir.file("a.mdb"));
        vfs.fail({FaultyVfs::Read, "a.mdb", 1, SQLITE_IOERR_READ, true});
        EXPECT_EQ(error_number([&] { a.OpenRecordset("SELECT count(*) FROM T"); }), ErroDisco);
        EXPECT_EQ(error_number([&] { a.OpenRecordset("SELECT count(*) FROM T"); }), ErroDisco);
        vfs.disarm();
        EXPECT_EQ(a.OpenRecordset("SELECT sum(x) FROM T").Fields(std::size_t{0}),
                  Value(std::int64_t{4}));
    }
}

TEST(FaultyVfsTest, TheFormerDefaultComesBack) {
    sqlite3_vfs* before = sqlite3_vfs_find(nullptr);
    {
        FaultyVfs vfs;
        EXPECT_STREQ(sqlite3_vfs_find(nullptr)->zName, "pz_faulty");
    }
    EXPECT_EQ(sqlite3_vfs_find(nullptr), before);
    EXPECT_EQ(sqlite3_vfs_find("pz_faulty"), nullptr);
}

}  // namespace
}  // namespace pezolva::engine::testing
