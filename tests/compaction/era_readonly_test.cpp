#include "compaction/era_readonly.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/fixtures.h"

namespace pezolva {
namespace {

mode_t mode_of(const std::string& path) {
    struct stat st;
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(EraReadonly, ClearsOnlyTheOwnersReadOnlyBit) {
    testing::TestServices t;
    const std::string f = t.dir.file("brasol.mdb");
    testing::write_file(f, "x");
    chmod(f.c_str(), 0444);
    EXPECT_TRUE(era_readonly(t.files, t.dialogs, f));
    EXPECT_EQ(mode_of(f), 0644u);
    // Not read-only: nothing changes.
    chmod(f.c_str(), 0640);
    EXPECT_FALSE(era_readonly(t.files, t.dialogs, f));
    EXPECT_EQ(mode_of(f), 0640u);
    EXPECT_TRUE(t.dialogs.shown().empty());
}

TEST(EraReadonly, MissingFileIsReportedAndGivesFalse) {
    testing::TestServices t;
    EXPECT_FALSE(era_readonly(t.files, t.dialogs, t.dir.file("nao-existe.mdb")));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    const Message& m = t.dialogs.shown()[0];
    EXPECT_EQ(m.text.rfind("A base de dados não existe no caminho especificado. Erro: ", 0), 0u)
        << m.text;
    EXPECT_NE(m.text.find("não existe", 40), std::string::npos) << m.text;
    EXPECT_EQ(m.title, "Atenção");
    EXPECT_EQ(m.icon, Icon::Critical);
}

}  // namespace
}  // namespace pezolva
