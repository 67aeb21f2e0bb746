#include <filesystem>

#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

using pezolva::testing::read_file;
using pezolva::testing::write_file;
namespace fs = std::filesystem;

const char* const kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

class CompactTest : public EngineTest {
  protected:
    std::string source_ = path("live.mdb");

    void SetUp() override {
        Database db = make("live.mdb", R"(
            CREATE TABLE t (id INTEGER PRIMARY KEY, texto TEXT);
            WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
            INSERT INTO t SELECT i, printf('%0200d', i) FROM n;
            DELETE FROM t WHERE id % 2 = 0;)",
                           "kqa730418");
        db.Execute("PRAGMA user_version = 7");
    }
};

TEST_F(CompactTest, KeepsThePasswordAndNeverTouchesTheSource) {
    const std::string before = read_file(source_);
    const std::string copy = path("tmp.mdb");
    CompactDatabase(source_, copy, kLocale, 0, ";pwd=kqa730418");
    EXPECT_EQ(read_file(source_), before);
    EXPECT_LT(fs::file_size(copy), fs::file_size(source_));
    EXPECT_EQ(error_number([&] { OpenDatabase(copy, false, false, ";pwd="); }), ErroPalavraPasse);
    Database db = OpenDatabase(copy, false, false, ";pwd=kqa730418");
    EXPECT_EQ(db.OpenRecordset("t").RecordCount(), 1000);
    EXPECT_EQ(db.OpenRecordset("PRAGMA user_version")[std::string_view("user_version")],
              Value(std::int64_t{7}));
}

TEST_F(CompactTest, DestinationWithApostrophe) {
    fs::create_directories(dir_.path() / "o'brien");
    const std::string copy = (dir_.path() / "o'brien" / "c'p.mdb").string();
    CompactDatabase(source_, copy, kLocale, 0, ";pwd=kqa730418");
    EXPECT_EQ(OpenDatabase(copy, false, true, ";pwd=kqa730418").OpenRecordset("t").RecordCount(),
              1000);
}

TEST_F(CompactTest, RefusesWithoutLeavingFiles) {
    EXPECT_EQ(
        error_number([&] { CompactDatabase(source_, path("x.mdb"), kLocale, 0, ";pwd=errada"); }),
        ErroPalavraPasse);
    EXPECT_FALSE(fs::exists(path("x.mdb")));
    write_file(path("ocupado.mdb"), "dados");
    EXPECT_EQ(error_number([&] {
                  CompactDatabase(source_, path("ocupado.mdb"), kLocale, 0, ";pwd=kqa730418");
              }),
              ErroBaseExiste);
    EXPECT_EQ(read_file(path("ocupado.mdb")), "dados");
    EXPECT_EQ(error_number([&] {
                  CompactDatabase(source_, path("falta/x.mdb"), kLocale, 0, ";pwd=kqa730418");
              }),
              ErroCaminho);
    EXPECT_EQ(error_number([&] { CompactDatabase(path("nada.mdb"), path("y.mdb")); }),
              ErroFicheiroInexistente);
    EXPECT_FALSE(fs::exists(path("y.mdb")));
    // An empty destination is taken.
    write_file(path("vazio.mdb"), "");
    CompactDatabase(source_, path("vazio.mdb"), kLocale, 0, ";pwd=kqa730418");
    EXPECT_NO_THROW(OpenDatabase(path("vazio.mdb"), false, false, ";pwd=kqa730418").Close());
}

}  // namespace
}  // namespace pezolva::engine::testing
