#include "restore/reposicao.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <filesystem>

#include "engine/database.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"
#include "reposicao_fixture.h"
#include "restore/sobras_reposicao.h"

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

TEST_F(ReposicaoTest, TheMainDatabaseKeepsItsRegisterOrSaysItIsMadeAnew) {
    {
        engine::Database db =
            engine::OpenDatabase(bd(), false, false, std::string(";pwd=") + kPasse);
        db.Execute(
            "CREATE TABLE bups (BUP_NOME_BD TEXT(50), BUP_PASSWD TEXT(20), BUP_N_COPIAS_A_MANTER "
            "SMALLINT)");
        db.Execute("CREATE UNIQUE INDEX PrimaryKey ON bups (BUP_NOME_BD)");
        db.Execute("INSERT INTO bups VALUES ('brasol.mdb', NULL, 7), ('fotos.mdb', 'segredo', 3)");
    }
    const std::vector<std::string> antes = registo(bd());
    bool recriado = true;
    EXPECT_EQ(repoe("brasol", true, &recriado), std::nullopt);
    EXPECT_FALSE(recriado);
    EXPECT_EQ(quem(bd()), "da cópia");
    EXPECT_EQ(registo(bd()), antes);

    // A database SQLite cannot read has no register to give.
    testing::write_file(bd(), std::string(8192, '\0'));
    EXPECT_EQ(repoe("brasol", true, &recriado), std::nullopt);
    EXPECT_TRUE(recriado);
    EXPECT_EQ(testing::read_file(bd()), testing::read_file(copia()));
}

// The second rename of a swap fails, and so does putting the old file
// back: the old database is then only under its set-aside name, which is
// kept for the next run to put back.
TEST_F(ReposicaoTest, AFailedUndoLeavesTheOldDatabaseForTheNextRunToPutBack) {
    files.fail("exchange", 0, EINVAL);
    files.fail_from("rename_no_replace", 2, EIO);
    const auto falha = repoe();
    ASSERT_TRUE(falha);
    EXPECT_NE(falha->find(anterior_reposicao(bd(), 42)), std::string::npos) << *falha;
    ASSERT_TRUE(std::filesystem::exists(anterior_reposicao(bd(), 42)))
        << "the only copy was removed";
    EXPECT_EQ(quem(anterior_reposicao(bd(), 42)), "viva");

    testing::FaultyFileSystem sem_falhas;
    recupera_reposicoes(sem_falhas, dir.file("proj"));
    EXPECT_EQ(quem(bd()), "viva");
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

// A program that reaches the database through SQLite alone, in the middle
// of a write: its journal is what makes that write undoable, and the
// database is not replaced under it.
TEST_F(ReposicaoTest, ADatabaseInTheMiddleOfAnotherProgramsWriteKeepsItsJournalAndIsNotReplaced) {
    sqlite3* outro = nullptr;
    ASSERT_EQ(sqlite3_open(bd().c_str(), &outro), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(outro,
                     "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE t SET quem = 'a meio'",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    ASSERT_TRUE(std::filesystem::exists(bd() + "-journal"));
    const std::string diario = testing::read_file(bd() + "-journal");
    const std::string antes = testing::read_file(bd());
    const auto falha = repoe();
    EXPECT_TRUE(falha);
    EXPECT_EQ(testing::read_file(bd() + "-journal"), diario) << "the journal of a live write went";
    EXPECT_EQ(testing::read_file(bd()), antes);
    sqlite3_exec(outro, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(outro);
    EXPECT_EQ(quem(bd()), "viva");
    EXPECT_EQ(repoe(), std::nullopt) << "once it is let go";
}

TEST_F(ReposicaoTest, ANewNameTheDiskDidNotConfirmIsAFailureThoughTheCopyStaysInPlace) {
    files.fail("sync_folder", 0, EIO);
    const auto falha = repoe();
    ASSERT_TRUE(falha);
    EXPECT_NE(falha->find("O disco não confirmou o novo nome " + bd()), std::string::npos)
        << *falha;
    EXPECT_EQ(quem(bd()), "da cópia");
    for (const std::string& f : ficheiros())
        EXPECT_EQ(f.find("pezolva-reposicao"), std::string::npos) << f;
}

TEST_F(ReposicaoTest, AnInterruptionBeforeTheSwapLeavesTheDatabaseAndNoTemporaryFile) {
    const std::string antes = testing::read_file(bd());
    engine::request_interruption(SIGTERM);
    const auto falha = repoe();
    engine::clear_interruption();
    ASSERT_TRUE(falha);
    EXPECT_NE(falha->find("interrompida"), std::string::npos) << *falha;
    EXPECT_EQ(testing::read_file(bd()), antes);
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

// Where the folder's file system may keep locks to this machine, nobody
// can tell whether another workstation has the database open.
TEST_F(ReposicaoTest, AFolderWhoseFileSystemKeepsLocksToItselfIsRefused) {
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("proj").c_str(), &st), 0);
    files.substitute("/proc/self/mountinfo",
                     "40 25 " + std::to_string(major(st.st_dev)) + ":" +
                         std::to_string(minor(st.st_dev)) +
                         " / /mnt/obras rw,nosuid - fuse.sshfs servidor:/obras rw\n");
    const std::string antes = testing::read_file(bd());
    const auto falha = repoe();
    ASSERT_TRUE(falha);
    EXPECT_NE(falha->find("fuse.sshfs"), std::string::npos) << *falha;
    EXPECT_EQ(testing::read_file(bd()), antes);
}

}  // namespace
}  // namespace pezolva::restore
