#include "engine/temporary_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/delete_database.h"
#include "support/temp_dir.h"

namespace pezolva::engine {
namespace {

TEST(TemporaryFilesTest, AClaimedNameIsHeldUntilGivenUpAndItsFilesGoWithTheObject) {
    testing::TempDir dir;
    LocalFileSystem files;
    const std::string kept = dir.file("kept"), dropped = dir.file("dropped");
    {
        TemporaryFiles temporaries(files);
        temporaries.claim(kept);
        temporaries.claim(dropped);
        testing::write_file(kept, "x");
        testing::write_file(dropped, "y");
        testing::write_file(dropped + "-journal", "j");
        // While claimed, a run reclaiming leftovers must leave them.
        EXPECT_FALSE(delete_database(files, dropped));
        EXPECT_TRUE(std::filesystem::exists(dropped));
        std::filesystem::rename(kept, dir.file("final"));
        temporaries.release(kept);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file("final")));
    EXPECT_FALSE(std::filesystem::exists(dropped));
    EXPECT_FALSE(std::filesystem::exists(dropped + "-journal"));
    EXPECT_FALSE(std::filesystem::exists(companion_path(dropped)));
    EXPECT_FALSE(std::filesystem::exists(companion_path(kept)));
}

TEST(TemporaryFilesTest, ACompanionIsTracedBackToItsDatabaseOnlyWhenRecognised) {
    const auto is_temp = [](const std::string& n) { return n.ends_with(".tmp"); };
    EXPECT_EQ(database_of_file("a.tmp", is_temp), "a.tmp");
    EXPECT_EQ(database_of_file("a.tmp-journal", is_temp), "a.tmp");
    EXPECT_EQ(database_of_file("a.tmp-wal", is_temp), "a.tmp");
    EXPECT_EQ(database_of_file(".a.tmp.lock", is_temp), "a.tmp");
    EXPECT_EQ(database_of_file("a.tmp.lock", is_temp), "a.tmp");
    EXPECT_EQ(database_of_file("a.mdb-journal", is_temp), std::nullopt);
    EXPECT_EQ(database_of_file(".a.mdb.lock", is_temp), std::nullopt);
}

TEST(RandomTokenTest, UsesBothHalvesOfTheWord) {
    ScriptedRandom random(0.5);
    EXPECT_EQ(random_token(random), 0x8000000080000000u);
    random.set(0.999999999999);
    EXPECT_EQ(random_token(random) >> 32, 0xFFFFFFFFu);
    random.set(0.0);
    EXPECT_EQ(random_token(random), 0u);
}

}  // namespace
}  // namespace pezolva::engine
