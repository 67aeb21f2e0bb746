#include "engine/lock_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/delete_database.h"
#include "engine/error.h"
#include "support/sem_privilegios.h"
#include "support/temp_dir.h"

namespace pezolva::engine {
namespace {

using testing::kUtilizadorComum;

// A team's folder as two users of one machine share it: setgid, of the
// group both belong to, its files group-writable.  The first user is this
// process (root), working with umask 077; the second, the unprivileged
// user, whose own group is the team's.
class CompanionLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP()
                << "a second user needs root to become it (setpriv); as one user, a companion "
                   "anyone can open shows nothing";
        }
        std::filesystem::create_directories(equipa());
        ::chmod(dir.str().c_str(), 0755);
        ::chown(equipa().c_str(), 0, kUtilizadorComum);
        ::chmod(equipa().c_str(), 02770);
        testing::write_file(bd(), "base");
        ::chown(bd().c_str(), 0, kUtilizadorComum);
        ::chmod(bd().c_str(), 0660);
        umask_antes = ::umask(077);
    }
    void TearDown() override { ::umask(umask_antes); }

    std::string equipa() { return dir.file("equipa"); }
    std::string bd() { return equipa() + "/brasol.mdb"; }
    // What the second user sees: 0 free, 1 in use, 2 the lock taken.
    int segundo_utilizador() {
        return testing::como_utilizador_comum([&] {
            if (InUse(bd())) return 1;
            try {
                CompanionLock lock(bd(), CompanionLock::Mode::Exclusive);
                return 2;
            } catch (const EngineError& e) {
                return e.numero() == ErroEmUso ? 3 : 4;
            }
        });
    }

    testing::TempDir dir;
    mode_t umask_antes = 022;
};

TEST_F(CompanionLockTest, ACompanionTakesItsDatabasesModeAndGroupSoTheTeamCanLockEachOtherOut) {
    {
        CompanionLock primeiro(bd(), CompanionLock::Mode::Shared);
        struct stat st {};
        ASSERT_EQ(::stat(companion_path(bd()).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0660u);
        EXPECT_EQ(st.st_gid, kUtilizadorComum);
        EXPECT_EQ(segundo_utilizador(), 1) << "the first user's hold is seen";
    }
    EXPECT_EQ(segundo_utilizador(), 2) << "once let go, the second user takes the lock";
}

TEST_F(CompanionLockTest, ACompanionTheUserCannotOpenForWritingCannotTellAndSoCountsAsHeld) {
    for (const mode_t modo : {0600u, 0640u}) {
        SCOPED_TRACE(modo);
        testing::write_file(companion_path(bd()), "");
        ::chown(companion_path(bd()).c_str(), 0, kUtilizadorComum);
        ::chmod(companion_path(bd()).c_str(), modo);
        EXPECT_EQ(testing::como_utilizador_comum([&] { return InUse(bd()) ? 1 : 0; }), 1);
        EXPECT_EQ(testing::como_utilizador_comum([&] {
                      try {
                          CompanionLock lock(bd(), CompanionLock::Mode::Exclusive);
                          return 0;
                      } catch (const EngineError& e) {
                          return e.numero() == ErroEmUso ? 1 : 2;
                      }
                  }),
                  1);
        // A clean-up of leftovers never deletes what it cannot ask about.
        LocalFileSystem files;
        EXPECT_EQ(
            testing::como_utilizador_comum([&] { return delete_database(files, bd()) ? 1 : 0; }),
            0);
        EXPECT_TRUE(std::filesystem::exists(bd()));
        // A reader goes on without a lock, as before.
        EXPECT_EQ(testing::como_utilizador_comum([&] {
                      CompanionLock lock(bd(), CompanionLock::Mode::Shared);
                      return lock.held() ? 1 : 0;
                  }),
                  0);
    }
}

}  // namespace
}  // namespace pezolva::engine
