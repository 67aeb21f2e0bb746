#include "restore/reposicao.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/lock_file.h"
#include "reposicao_fixture.h"

namespace pezolva::restore {
namespace {

TEST_F(ReposicaoTest, TheCopyTakesThePlaceOfTheDatabaseWithItsModeAndNothingElseStays) {
    ::chmod(bd().c_str(), 0640);
    EXPECT_EQ(repoe(), std::nullopt);
    EXPECT_EQ(quem(bd()), "da cópia");
    EXPECT_EQ(testing::read_file(bd()), testing::read_file(copia()));
    struct stat st {};
    ::stat(bd().c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

TEST_F(ReposicaoTest, WhateverFailsTheDatabaseStaysAsItWas) {
    const std::string antes = testing::read_file(bd());
    const auto sem_mudanca = [&](const std::optional<std::string>& falha) {
        EXPECT_TRUE(falha.has_value());
        EXPECT_EQ(testing::read_file(bd()), antes);
        for (const std::string& f : ficheiros())
            EXPECT_EQ(f.find("pezolva-reposicao"), std::string::npos) << f;
    };
    {
        SCOPED_TRACE("held open by another program");
        engine::Database aberta =
            engine::OpenDatabase(bd(), false, true, std::string(";pwd=") + kPasse);
        sem_mudanca(repoe());
    }
    {
        SCOPED_TRACE("the copy was removed after the search");
        sem_mudanca(repoe_copia(files, {dir.file("copias/brasol200001010000.mdb"), dir.file("proj"),
                                        "brasol", std::string(";pwd=") + kPasse, 3}));
    }
    {
        SCOPED_TRACE("the copy cannot be copied (a full disk)");
        files.fail("copy_file", 0, ENOSPC);
        sem_mudanca(repoe());
        files.fail("copy_file", -1);
    }
    {
        SCOPED_TRACE("the swap is refused");
        files.fail("exchange", 0, EIO);
        sem_mudanca(repoe());
        files.fail("exchange", -1);
    }
    {
        SCOPED_TRACE("a damaged copy");
        testing::write_file(dir.file("copias/brasol200601010000.mdb"), std::string(4096, 'x'));
        sem_mudanca(repoe_copia(files, {dir.file("copias/brasol200601010000.mdb"), dir.file("proj"),
                                        "brasol", std::string(";pwd=") + kPasse, 1}));
    }
    {
        SCOPED_TRACE("a copy with a journal beside it");
        testing::write_file(copia() + "-journal", "páginas por aplicar");
        sem_mudanca(repoe());
        std::filesystem::remove(copia() + "-journal");
    }
    {
        SCOPED_TRACE("a read-only database");
        ::chmod(bd().c_str(), 0444);
        sem_mudanca(repoe());
        ::chmod(bd().c_str(), 0644);
    }
    sem_mudanca(repoe(""));
}

TEST_F(ReposicaoTest, TheDatabaseIsFoundWhateverTheLetterCaseOrMadeWhenMissing) {
    std::filesystem::rename(bd(), dir.file("proj/BRASOL.MDB"));
    EXPECT_EQ(repoe(), std::nullopt);
    EXPECT_EQ(quem(dir.file("proj/BRASOL.MDB")), "da cópia");
    EXPECT_FALSE(std::filesystem::exists(bd()));

    EXPECT_EQ(repoe("brasol_fotos"), std::nullopt);
    EXPECT_EQ(quem(dir.file("proj/brasol_fotos.mdb")), "da cópia");
}

TEST_F(ReposicaoTest, AStaleWalOfTheOldDatabaseIsNeverAppliedToTheRestoredOne) {
    {
        engine::Database db =
            engine::OpenDatabase(bd(), false, false, std::string(";pwd=") + kPasse);
        db.Execute("PRAGMA journal_mode=WAL");
        db.Execute("PRAGMA wal_autocheckpoint=0");
        db.Execute("UPDATE t SET quem = 'escrita no WAL'");
        // What a program killed now would leave beside the file.
        std::filesystem::copy_file(bd() + "-wal", dir.file("wal-deixado"));
    }
    std::filesystem::copy_file(dir.file("wal-deixado"), bd() + "-wal");
    EXPECT_EQ(repoe(), std::nullopt);
    EXPECT_EQ(quem(bd()), "da cópia");
    EXPECT_FALSE(std::filesystem::exists(bd() + "-wal"));
}

TEST_F(ReposicaoTest, WhereNamesCannotBeSwappedTheOldDatabaseIsSetAsideThenRemoved) {
    files.fail("exchange", 0, EINVAL);
    EXPECT_EQ(repoe(), std::nullopt);
    EXPECT_EQ(quem(bd()), "da cópia");
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

}  // namespace
}  // namespace pezolva::restore
