// The snapshot of a live database: one committed moment of its file, taken
// while other users' commits wait, by the kernel from SQLite's own
// descriptor or, through any other file layer, read through SQLite.
#include "engine/snapshot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "engine/interruption.h"
#include "engine_fixture.h"
#include "support/faulty_vfs.h"

namespace pezolva::engine::testing {
namespace {

using pezolva::testing::FaultyVfs;

std::int64_t rows(Database& db) {
    return db.OpenRecordset("SELECT count(*) FROM t")
        .Fields(std::size_t{0})
        .to_integer()
        .value_or(-1);
}

// With the plain unix layer (the kernel copies) and through a layer of
// the tests' own (the bytes are read through SQLite).
class SnapshotTest : public EngineTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) vfs_ = std::make_unique<FaultyVfs>();
        Database db = make("viva.mdb", "", "segredo");
        db.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, texto TEXT)");
        db.Execute(
            "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 20000) "
            "INSERT INTO t (texto) SELECT hex(randomblob(100)) FROM k");
    }
    void TearDown() override { vfs_.reset(); }

    std::unique_ptr<FaultyVfs> vfs_;
};

INSTANTIATE_TEST_SUITE_P(Layers, SnapshotTest, ::testing::Values(false, true),
                         [](const auto& info) {
                             return info.param ? "ReadThroughSqlite" : "KernelCopy";
                         });

TEST_P(SnapshotTest, AWriterCannotCommitInTheMiddleAndTheCopyIsOfOneMoment) {
    Database live = OpenDatabase(path("viva.mdb"), false, false, ";pwd=segredo");
    Database writer = OpenDatabase(path("viva.mdb"), false, false, ";pwd=segredo");
    writer.Execute("PRAGMA busy_timeout=0");
    int refused = 0;
    std::int64_t last = 0, size = 0;
    ASSERT_TRUE(SnapshotFile(
        live, path("instantaneo.mdb"), 0600, [&](std::int64_t done, std::int64_t total) {
            EXPECT_GT(done, last) << "the bytes copied only grow";
            last = done;
            size = total;
            if (error_number([&] { writer.Execute("INSERT INTO t (texto) VALUES ('no meio')"); }) !=
                0)
                ++refused;
        }));
    EXPECT_GT(refused, 0);
    EXPECT_EQ(last, size);
    writer.Execute("INSERT INTO t (texto) VALUES ('depois')");  // the lock is gone

    struct stat s {};
    ASSERT_EQ(::stat(path("instantaneo.mdb").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 0777, 0600u);
    EXPECT_EQ(s.st_size, size);
    Database copy = OpenDatabase(path("instantaneo.mdb"), false, true, ";pwd=segredo");
    EXPECT_EQ(rows(copy), 20000);
    EXPECT_EQ(copy.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text(), "ok");
    EXPECT_EQ(rows(writer), 20001);
}

TEST_P(SnapshotTest, AnExistingTargetOrAnInterruptionLeavesNothingNew) {
    Database live = OpenDatabase(path("viva.mdb"), false, false, ";pwd=segredo");
    std::ofstream(path("ja_existe.mdb")) << "de outro";
    EXPECT_EQ(error_number([&] { SnapshotFile(live, path("ja_existe.mdb"), 0600); }),
              ErroBaseExiste);
    std::ifstream kept(path("ja_existe.mdb"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "de outro");

    EXPECT_EQ(error_number([&] {
                  SnapshotFile(live, path("interrompido.mdb"), 0600,
                               [](std::int64_t, std::int64_t) { request_interruption(15); });
              }),
              ErroCancelado);
    clear_interruption();
    EXPECT_FALSE(std::ifstream(path("interrompido.mdb")).good());
}

TEST(SnapshotReadError, AFailedReadNamesTheDatabaseAndLeavesNoTarget) {
    pezolva::testing::TempDir dir;
    FaultyVfs vfs;
    {
        Database db = CreateDatabase(dir.file("viva.mdb"), "");
        db.Execute("CREATE TABLE t (x)");
    }
    Database live = OpenDatabase(dir.file("viva.mdb"), false, false, "");
    vfs.fail({FaultyVfs::Read, "viva.mdb", 2, SQLITE_IOERR_READ, true});
    try {
        SnapshotFile(live, dir.file("instantaneo.mdb"), 0600);
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.numero(), ErroDisco);
        EXPECT_NE(e.descricao().find("viva.mdb"), std::string::npos) << e.descricao();
    }
    EXPECT_FALSE(std::ifstream(dir.file("instantaneo.mdb")).good());
}

}  // namespace
}  // namespace pezolva::engine::testing
