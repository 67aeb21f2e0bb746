#include "common/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace pezolva {
namespace {

class FileSystemTest : public ::testing::Test {
  protected:
    testing::TempDir dir;
    LocalFileSystem files;
};

TEST_F(FileSystemTest, RenameNeverReplacesAFile) {
    testing::write_file(dir.file("a"), "A");
    testing::write_file(dir.file("b"), "B");
    EXPECT_THROW(files.rename_no_replace(dir.file("a"), dir.file("b")), FileError);
    EXPECT_EQ(testing::read_file(dir.file("a")), "A");
    EXPECT_EQ(testing::read_file(dir.file("b")), "B");
    files.rename_no_replace(dir.file("a"), dir.file("c"));
    EXPECT_FALSE(files.exists(dir.file("a")));
    EXPECT_EQ(testing::read_file(dir.file("c")), "A");
}

TEST_F(FileSystemTest, CopyRefusesAnExistingTargetAndLeavesNothingOnFailure) {
    testing::write_file(dir.file("a"), std::string(200000, 'x'));
    files.copy_file(dir.file("a"), dir.file("b"));
    EXPECT_EQ(files.file_size(dir.file("b")), 200000u);
    EXPECT_THROW(files.copy_file(dir.file("a"), dir.file("b")), FileError);
    try {
        files.copy_file(dir.file("nao-existe"), dir.file("c"));
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("não existe"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(files.exists(dir.file("c")));
}

TEST_F(FileSystemTest, AtomicWriteLeavesNoTemporaryFile) {
    files.write_file_atomic(dir.file("s.ini"), "um");
    files.write_file_atomic(dir.file("s.ini"), "dois");
    EXPECT_EQ(files.read_file(dir.file("s.ini")), "dois");
    EXPECT_EQ(files.list_files(dir.str()), std::vector<std::string>{"s.ini"});
}

TEST_F(FileSystemTest, ReadOnlyIsTheOwnersWritePermission) {
    testing::write_file(dir.file("a"), "A");
    EXPECT_FALSE(files.is_read_only(dir.file("a")));
    files.set_read_only(dir.file("a"), true);
    EXPECT_TRUE(files.is_read_only(dir.file("a")));
    files.set_read_only(dir.file("a"), false);
    EXPECT_FALSE(files.is_read_only(dir.file("a")));
    EXPECT_THROW(files.is_read_only(dir.file("nao-existe")), FileError);
}

TEST_F(FileSystemTest, ListsOnlyRegularFiles) {
    testing::write_file(dir.file("x.mdb"), "");
    files.create_directory(dir.file("pasta.mdb"));
    EXPECT_FALSE(files.create_directory(dir.file("pasta.mdb")));
    EXPECT_EQ(files.list_files(dir.str()), std::vector<std::string>{"x.mdb"});
    EXPECT_TRUE(files.list_files(dir.file("nao-existe")).empty());
}

}  // namespace
}  // namespace pezolva
