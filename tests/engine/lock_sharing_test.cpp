#include "engine/lock_sharing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace pezolva::engine {
namespace {

TEST(LockSharingTest, LocalNfsAndSmb3ShareLocksFuseLocalLocksAndUnknownTypesDoNot) {
    const auto partilha = [](const std::string& tipo, const std::string& opcoes, const std::string& nucleo = "6.1.0") {
        return !locks_not_shared_on(tipo, opcoes, nucleo).has_value();
    };
    EXPECT_TRUE(partilha("ext4", "rw,relatime"));
    EXPECT_TRUE(partilha("btrfs", "rw"));
    EXPECT_TRUE(partilha("nfs4", "rw,vers=4.2,local_lock=none"));
    EXPECT_TRUE(partilha("nfs", "rw,vers=3,local_lock=posix"));
    EXPECT_FALSE(partilha("nfs", "rw,vers=3,local_lock=flock"));
    EXPECT_FALSE(partilha("nfs4", "rw,local_lock=all"));
    EXPECT_TRUE(partilha("cifs", "rw,vers=3.1.1,cache=strict"));
    EXPECT_FALSE(partilha("cifs", "rw,vers=3.1.1", "5.4.0-150-generic"));
    EXPECT_FALSE(partilha("cifs", "rw,vers=2.1"));
    EXPECT_FALSE(partilha("cifs", "rw,vers=3.0,nobrl"));
    EXPECT_TRUE(partilha("smb3", "rw,vers=3.1.1"));
    EXPECT_FALSE(partilha("fuse.sshfs", "rw"));
    EXPECT_FALSE(partilha("fuseblk", "rw"));
    EXPECT_FALSE(partilha("9p", "rw"));
    const auto recusa = locks_not_shared_on("fuse.sshfs", "rw", "6.1.0");
    ASSERT_TRUE(recusa);
    EXPECT_NE(recusa->find("fuse.sshfs"), std::string::npos) << *recusa;
}

// The folder's own line of the mount table decides, found by its device.
TEST(LockSharingTest, TheFoldersFileSystemIsFoundInTheMountTableByItsDevice) {
    testing::TempDir dir;
    struct stat st {};
    ASSERT_EQ(::stat(dir.str().c_str(), &st), 0);
    const std::string dispositivo = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    const auto linha = [&](const std::string& disp, const std::string& tipo, const std::string& opcoes) {
        return "36 25 " + disp + " / /mnt rw,relatime shared:1 - " + tipo + " servidor:/x " + opcoes + "\n";
    };
    testing::FaultyFileSystem files;
    files.substitute("/proc/sys/kernel/osrelease", "6.1.0-13-amd64\n");
    files.substitute("/proc/self/mountinfo", linha("0:999", "ext4", "rw") + linha(dispositivo, "fuse.sshfs", "rw"));
    EXPECT_TRUE(locks_not_shared(files, dir.str()));
    files.substitute("/proc/self/mountinfo", linha(dispositivo, "nfs4", "rw,local_lock=flock"));
    EXPECT_TRUE(locks_not_shared(files, dir.str()));
    files.substitute("/proc/self/mountinfo", linha(dispositivo, "nfs4", "rw,local_lock=none"));
    EXPECT_FALSE(locks_not_shared(files, dir.str()));
    files.substitute("/proc/self/mountinfo", linha("0:999", "ext4", "rw"));
    EXPECT_TRUE(locks_not_shared(files, dir.str())) << "a folder of no known file system";
    LocalFileSystem real;
    EXPECT_EQ(locks_not_shared(real, dir.str()), std::nullopt) << "the tests' own folder is local";
}

}  // namespace
}  // namespace pezolva::engine
