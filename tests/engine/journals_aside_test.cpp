#include "engine/journals_aside.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace pezolva::engine {
namespace {

// The journals of a database about to lose its name go with it, the index
// that is only a cache goes, and an undo brings them back untouched.
TEST(JournalsAsideTest, JournalsGoWithTheOldFileAndComeBackOnUndo) {
    testing::TempDir dir;
    testing::FaultyFileSystem files;
    const std::string bd = dir.file("brasol.mdb"), de_lado = dir.file(".brasol.mdb.anterior");
    testing::write_file(bd + "-journal", "páginas por aplicar");
    testing::write_file(bd + "-wal", "registos por aplicar");
    testing::write_file(bd + "-shm", "índice");
    JournalsAside sem_nada(files, dir.file("vazia.mdb"), dir.file(".vazia.anterior"));
    testing::write_file(dir.file("vazia.mdb-wal"), "");
    JournalsAside vazio(files, dir.file("vazia.mdb"), dir.file(".vazia.anterior"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("vazia.mdb-wal")))
        << "an empty WAL holds nothing to keep";
    EXPECT_FALSE(std::filesystem::exists(dir.file(".vazia.anterior-wal")));
    JournalsAside diarios(files, bd, de_lado);
    EXPECT_FALSE(std::filesystem::exists(bd + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(bd + "-shm"));
    EXPECT_EQ(testing::read_file(de_lado + "-journal"), "páginas por aplicar");
    EXPECT_EQ(testing::read_file(de_lado + "-wal"), "registos por aplicar");
    diarios.bring_back();
    EXPECT_EQ(testing::read_file(bd + "-journal"), "páginas por aplicar");
    EXPECT_EQ(testing::read_file(bd + "-wal"), "registos por aplicar");
    EXPECT_FALSE(std::filesystem::exists(de_lado + "-journal"));

    // A move that fails puts back those already moved, and nothing is lost.
    testing::FaultyFileSystem falha;
    falha.fail("rename_no_replace", 2, EIO);
    EXPECT_THROW(JournalsAside(falha, bd, de_lado), FileError);
    EXPECT_EQ(testing::read_file(bd + "-journal"), "páginas por aplicar");
    EXPECT_EQ(testing::read_file(bd + "-wal"), "registos por aplicar");
}

}  // namespace
}  // namespace pezolva::engine
