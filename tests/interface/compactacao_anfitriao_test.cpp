#include "interface/compactacao_anfitriao.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace pezolva {
namespace {

// Installed, the library is in PREFIX/lib and the tool in PREFIX/bin: a
// host in any other folder must still find the tool.
TEST(PastasDosProgramas, TheProgramsFolderAndTheBinBesideTheLibrarys) {
    const std::filesystem::path programa = std::filesystem::read_symlink("/proc/self/exe");
    const std::vector<std::string> pastas = pastas_dos_programas();
    ASSERT_FALSE(pastas.empty());
    EXPECT_EQ(pastas.front(), programa.parent_path().string());
    const std::string bin =
        std::filesystem::weakly_canonical(programa.parent_path() / ".." / "bin").string();
    EXPECT_NE(std::find(pastas.begin(), pastas.end(), bin), pastas.end());
}

}  // namespace
}  // namespace pezolva
