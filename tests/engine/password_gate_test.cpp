#include <sqlite3.h>

#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

class PasswordGateTest : public EngineTest {
  protected:
    // Writes the gate's row as it is stored on disk, without the engine.
    void put_gate(const std::string& name, const std::string& salt, int iterations,
                  const std::string& digest) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path(name).c_str(), &db), SQLITE_OK);
        const std::string sql =
            "CREATE TABLE \"MSysAcesso\" (\"Sal\" TEXT NOT NULL, \"Iteracoes\" INTEGER NOT NULL, "
            "\"Resumo\" TEXT NOT NULL); INSERT INTO \"MSysAcesso\" VALUES ('" +
            salt + "', " + std::to_string(iterations) + ", '" + digest + "');";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
};

// Files whose password was set by earlier versions keep opening: the row
// below (salt, iterations, digest) is the one those versions wrote for the
// password "Alfama 1755", byte for byte.
TEST_F(PasswordGateTest, AFileWhosePasswordWasSetBeforeOpensWithItAndOnlyWithIt) {
    const std::string salt = "8c2f0d6e41a7b3195e60d2c4f8a91b37";
    make("antes.mdb", "CREATE TABLE Obras (Id INTEGER PRIMARY KEY)").Close();
    put_gate("antes.mdb", salt, 10000,
             "ed44a15c71b4cf10314dac83f5658831ae123088a75a071da5324c9b4b6e5967");
    make("poucas.mdb").Close();
    put_gate("poucas.mdb", salt, 3,
             "b7054b6e05ae2bef670c4fc45ec816920ef13347b8cd84b61c8ba0cb5938ce50");

    for (const char* name : {"antes.mdb", "poucas.mdb"}) {
        EXPECT_NO_THROW(OpenDatabase(path(name), false, true, ";pwd=Alfama 1755").Close()) << name;
        EXPECT_EQ(error_number([&] { OpenDatabase(path(name), false, true, ";pwd=alfama 1755"); }),
                  ErroPalavraPasse)
            << name;
        EXPECT_EQ(error_number([&] { OpenDatabase(path(name), false, true, ""); }),
                  ErroPalavraPasse)
            << name;
    }
    Database db = OpenDatabase(path("antes.mdb"), false, false, ";pwd=Alfama 1755");
    EXPECT_TRUE(db.TableDefs().Contains("Obras"));
}

// A damaged gate row refuses every password rather than hanging or
// opening: an iteration count out of range, or a digest of another length.
TEST_F(PasswordGateTest, ADamagedGateOpensForNoPassword) {
    const std::string salt = "8c2f0d6e41a7b3195e60d2c4f8a91b37";
    make("zero.mdb").Close();
    put_gate("zero.mdb", salt, 0,
             "ed44a15c71b4cf10314dac83f5658831ae123088a75a071da5324c9b4b6e5967");
    make("curto.mdb").Close();
    put_gate("curto.mdb", salt, 10000, "ed44a15c71b4cf10314dac83f5658831");
    for (const char* name : {"zero.mdb", "curto.mdb"}) {
        EXPECT_EQ(error_number([&] { OpenDatabase(path(name), false, true, ";pwd=Alfama 1755"); }),
                  ErroPalavraPasse)
            << name;
    }
}

}  // namespace
}  // namespace pezolva::engine::testing
