#include "engine/lock_sharing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace pezolva::engine {
namespace {

TEST(LockSharingTest, LocalNfsAndSmb3ShareLocksFuseLocalLocksAndUnknownTypesDoNot) {
    struct Caso {
        const char* tipo;
        const char* opcoes;
        const char* nucleo;
        bool partilha;
    };
    for (const Caso& c :
         {Caso{"ext4", "rw,relatime", "6.1.0", true}, Caso{"btrfs", "rw", "6.1.0", true},
          Caso{"nfs4", "rw,vers=4.2,local_lock=none", "6.1.0", true},
          Caso{"nfs", "rw,vers=3,local_lock=posix", "6.1.0", true},
          Caso{"nfs", "rw,vers=3,local_lock=flock", "6.1.0", false},
          Caso{"nfs4", "rw,local_lock=all", "6.1.0", false},
          Caso{"cifs", "rw,vers=3.1.1,cache=strict", "6.1.0", true},
          Caso{"cifs", "rw,vers=3.1.1", "5.4.0-150-generic", false},
          Caso{"cifs", "rw,vers=2.1", "6.1.0", false},
          Caso{"cifs", "rw,vers=3.0,nobrl", "6.1.0", false},
          Caso{"smb3", "rw,vers=3.1.1", "6.1.0", true}, Caso{"fuse.sshfs", "rw", "6.1.0", false},
          Caso{"fuseblk", "rw", "6.1.0", false}, Caso{"9p", "rw", "6.1.0", false}}) {
        const auto recusa = locks_not_shared_on(c.tipo, c.opcoes, c.nucleo);
        EXPECT_EQ(!recusa.has_value(), c.partilha) << c.tipo << " " << c.opcoes << " " << c.nucleo;
        if (recusa) {
            EXPECT_NE(recusa->find(c.tipo), std::string::npos) << *recusa;
        }
    }
}

// The folder's own line of the mount table decides, found by its device.
TEST(LockSharingTest, TheFoldersFileSystemIsFoundInTheMountTableByItsDevice) {
    testing::TempDir dir;
    struct stat st {};
    ASSERT_EQ(::stat(dir.str().c_str(), &st), 0);
    const std::string dispositivo =
        std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    const auto linha = [&](const std::string& disp, const std::string& tipo,
                           const std::string& opcoes) {
        return "36 25 " + disp + " / /mnt rw,relatime shared:1 - " + tipo + " servidor:/x " +
               opcoes + "\n";
    };
    testing::FaultyFileSystem files;
    files.substitute("/proc/sys/kernel/osrelease", "6.1.0-13-amd64\n");
    files.substitute("/proc/self/mountinfo",
                     linha("0:999", "ext4", "rw") + linha(dispositivo, "fuse.sshfs", "rw"));
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
