#include "compaction/processo_setup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/file_system.h"
#include "support/fixtures.h"

namespace pezolva {
namespace {

// A set-up that hands its work to a process of its own and ends at once
// is still running while that process runs: the group is followed, not
// the program alone.
TEST(ProcessoSetup, RunsWhileAnyProcessOfItsGroupRuns) {
    testing::TempDir dir;
    const std::string programa = dir.file("setup");
    testing::write_file(programa, "#!/bin/sh\npwd > pasta\n(sleep 1; touch fim) &\nexit 0\n");
    ::chmod(programa.c_str(), 0755);
    ProcessoSetup p(programa, dir.str());
    EXPECT_GT(p.pid(), 0);
    EXPECT_TRUE(p.vivo());
    for (int i = 0; i < 300 && p.vivo(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(p.vivo());
    EXPECT_TRUE(std::filesystem::exists(dir.file("fim")))
        << "the group ended before its last process";
    EXPECT_EQ(testing::read_file(dir.file("pasta")), dir.str() + "\n");
}

TEST(ProcessoSetup, AProgramThatCannotStartThrowsFileError) {
    testing::TempDir dir;
    testing::write_file(dir.file("setup"), "nao executavel\n");
    EXPECT_THROW(ProcessoSetup(dir.file("setup"), dir.str()), FileError);
    EXPECT_THROW(ProcessoSetup(dir.file("nao_existe"), dir.str()), FileError);
}

}  // namespace
}  // namespace pezolva
