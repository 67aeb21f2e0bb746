#include "compaction/troca_compactada.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/database.h"
#include "engine/lock_file.h"
#include "support/databases.h"
#include "support/fixtures.h"

namespace pezolva::testing {
namespace {

using Nomes = std::vector<std::string>;

// A database and the copy the tool made of it, beside it, ready to swap.
class TrocaCompactadaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pasta = t.dir.file("obras");
        std::filesystem::create_directories(pasta);
        make_database(f.base, "create table t (x TEXT); insert into t values ('antiga');").Close();
        make_database(f.temporario, "create table t (x TEXT); insert into t values ('compactada');")
            .Close();
        // The copy's companion goes before the swap, as compacta_bd removes it.
        std::filesystem::remove(engine::companion_path(f.temporario));
        ::chmod(f.base.c_str(), 0640);
        ::chmod(f.temporario.c_str(), 0600);
        antes = read_file(f.base);
        copia = read_file(f.temporario);
    }

    std::string em(const std::string& nome) const { return pasta + "/" + nome; }

    Nomes ficheiros() const {
        Nomes nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta)) {
            nomes.push_back(e.path().filename().string());
        }
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }

    TestServices t;
    std::string pasta = t.dir.file("obras");
    FicheirosCompactacao f{em("brasol.mdb"), em("brasol.mdb19052005140700"),
                           em("brasol200505191407.mdb")};
    std::string antes, copia;
    bool bloqueada = true;
};

mode_t modo(const std::string& caminho) {
    struct stat st {};
    ::stat(caminho.c_str(), &st);
    return st.st_mode & 0777;
}

TEST_F(TrocaCompactadaTest, TheCopyTakesTheNameAndThePermissionsAndTheOldFileKeepsItsDatedName) {
    EXPECT_EQ(troca_compactada(t.files, f, &bloqueada), std::nullopt);
    EXPECT_FALSE(bloqueada);
    EXPECT_TRUE(read_file(f.base) == copia) << "the compacted copy is not in place";
    EXPECT_TRUE(read_file(f.antiga) == antes) << "the old database is not under its dated name";
    EXPECT_EQ(modo(f.base), 0640u);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191407.mdb"}));
}

TEST_F(TrocaCompactadaTest, ATakenDatedNameIsLeftAloneAndTheDatabaseStaysAsItWas) {
    write_file(f.antiga, "a compaction earlier this minute");
    const std::optional<std::string> causa = troca_compactada(t.files, f, &bloqueada);
    ASSERT_TRUE(causa.has_value());
    EXPECT_FALSE(bloqueada);
    EXPECT_EQ(read_file(f.antiga), "a compaction earlier this minute");
    EXPECT_TRUE(read_file(f.base) == antes);
    // The copy is the caller's to remove.
    EXPECT_TRUE(read_file(f.temporario) == copia);
}

TEST_F(TrocaCompactadaTest, AFailedSwapTakesTheDatedNameAwayAgain) {
    t.files.fail("exchange", 0, EIO);
    ASSERT_TRUE(troca_compactada(t.files, f, &bloqueada).has_value());
    EXPECT_FALSE(bloqueada) << "a failing disk is no other program holding the database";
    EXPECT_TRUE(read_file(f.base) == antes);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol.mdb19052005140700"}));
}

TEST_F(TrocaCompactadaTest, ADatabaseAnotherProgramIsWritingIsHeldAndPutBack) {
    sqlite3* outro = nullptr;
    ASSERT_EQ(sqlite3_open(f.base.c_str(), &outro), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(outro, "BEGIN IMMEDIATE; UPDATE t SET x = 'a escrever'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_TRUE(troca_compactada(t.files, f, &bloqueada).has_value());
    EXPECT_TRUE(bloqueada);
    sqlite3_exec(outro, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(outro);
    EXPECT_TRUE(read_file(f.base) == antes);
    EXPECT_FALSE(std::filesystem::exists(f.antiga));
}

// What killed compactions of brasol.mdb left, among what must stay: the
// names are the ones compactions have always used, so what an older
// version left goes too.
TEST_F(TrocaCompactadaTest, TheLeftoversOfKilledRunsGoAndNothingElse) {
    for (const char* sobra :
         {"brasol.mdb05122006143012", "brasol.mdb05122006143012-journal",
          ".brasol.mdb05122006143012.lock", ".brasol.mdb05122006143013.parcial",
          "..brasol.mdb05122006143013.parcial.lock", "brasol.mdb05122006143014",
          "brasol200612051431.mdb", "outra.mdb05122006143012", "brasol.mdb.bak"}) {
        write_file(em(sobra), "x");
    }
    std::filesystem::remove(f.temporario);
    // A second name given to the database itself before a swap that never
    // came: only the name goes.
    ASSERT_EQ(::link(f.base.c_str(), em("brasol200612051430.mdb").c_str()), 0);
    // A tool still writing the copy it was given.
    const engine::CompanionLock viva(em("brasol.mdb05122006143014"),
                                     engine::CompanionLock::Mode::Shared);

    apaga_sobras_compactacao(t.files, pasta, "brasol.mdb");

    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", ".brasol.mdb05122006143014.lock",
                                  "brasol.mdb", "brasol.mdb.bak", "brasol.mdb05122006143014",
                                  "brasol200612051431.mdb", "outra.mdb05122006143012"}));
    EXPECT_TRUE(read_file(f.base) == antes);
}

TEST_F(TrocaCompactadaTest, ACopyThatFailedGoesWithItsCompanionsAndItsPartialFile) {
    const std::string parcial = em(".brasol.mdb19052005140700.parcial");
    for (const std::string& c :
         {f.temporario + "-wal", f.temporario + "-shm", engine::companion_path(f.temporario),
          parcial, engine::companion_path(parcial)}) {
        write_file(c, "x");
    }
    apaga_com_companheiros(t.files, f.temporario);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb"}));
}

}  // namespace
}  // namespace pezolva::testing
