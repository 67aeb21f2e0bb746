// The check of a whole database file shared by two connections: it must
// find what one quick_check of the file finds, pages included.
#include "engine/whole_file_check.h"

#include <gtest/gtest.h>

#include "engine/whole_file_copy.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

class WholeFileCheckTest : public EngineTest {
  protected:
    // Tables of different sizes, more than one with rows (so the work is
    // shared out), with indexes and rows that spill onto overflow pages,
    // compacted so that no page is free.
    std::string sound(const std::string& name, const std::string& password = "") {
        Database db = make(name, "", password);
        db.Execute("CREATE TABLE pequena (id INTEGER PRIMARY KEY, nome TEXT NOT NULL)");
        db.Execute(
            "CREATE TABLE grande (id INTEGER PRIMARY KEY, n INTEGER, texto TEXT, dados BLOB)");
        db.Execute("CREATE INDEX grande_n ON grande (n)");
        db.Execute("CREATE TABLE sem_rowid (a TEXT PRIMARY KEY, b INTEGER, c TEXT) WITHOUT ROWID");
        db.Execute("INSERT INTO pequena (nome) VALUES ('a'), ('b')");
        db.Execute(
            "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 3000) "
            "INSERT INTO grande (n, texto, dados) SELECT i % 97, hex(randomblob(40)), "
            "CASE WHEN i % 100 = 0 THEN randomblob(9000) END FROM k");
        db.Execute("INSERT INTO sem_rowid SELECT texto, n, hex(randomblob(60)) FROM grande");
        db.Execute("VACUUM");
        return path(name);
    }
    static std::string connect(const std::string& password = "") { return ";pwd=" + password; }

    static std::uint32_t header_number(const std::string& bytes, std::size_t at) {
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < 4; ++i) n = (n << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        return n;
    }
    static std::int64_t root_of(const std::string& file, const std::string& name) {
        Database db = OpenDatabase(file, false, true, "");
        return db.OpenRecordset("SELECT rootpage FROM sqlite_schema WHERE name = '" + name + "'")
            .Fields(std::size_t{0})
            .to_integer()
            .value_or(0);
    }
};

TEST_F(WholeFileCheckTest, ASoundFileWithAPasswordPasses) {
    const std::string file = sound("boa.db", "segredo");
    EXPECT_EQ(QuickCheckOnTwoConnections(file, connect("segredo")), std::nullopt);
    EXPECT_EQ(error_number([&] { QuickCheckOnTwoConnections(file, connect("errada")); }),
              ErroPalavraPasse);
}

TEST_F(WholeFileCheckTest, AnOverwrittenPageOfAnyTreeIsFound) {
    for (const char* tree : {"grande", "grande_n", "sem_rowid", "pequena"}) {
        SCOPED_TRACE(tree);
        const std::string file = sound(std::string(tree) + ".db");
        const std::int64_t root = root_of(file, tree);
        ASSERT_GT(root, 1);
        std::string bytes = pezolva::testing::read_file(file);
        bytes.replace(static_cast<std::size_t>(root - 1) * 4096, 4096, std::string(4096, '\x5a'));
        pezolva::testing::write_file(file, bytes);
        const auto found = QuickCheckOnTwoConnections(file, connect());
        ASSERT_TRUE(found.has_value());
        EXPECT_FALSE(found->empty());
    }
}

// A page counted in the header but in no tree and not on the free list:
// checking every table is not enough, every page must be accounted for.
TEST_F(WholeFileCheckTest, APageNoTreeHoldsIsFound) {
    const std::string file = sound("pagina_a_mais.db");
    std::string bytes = pezolva::testing::read_file(file);
    ASSERT_EQ(header_number(bytes, 24), header_number(bytes, 92))
        << "the header's page count is valid";
    const std::uint32_t pages = header_number(bytes, 28) + 1;
    for (int i = 0; i < 4; ++i) bytes[28 + i] = static_cast<char>(pages >> (24 - 8 * i));
    bytes.append(4096, '\0');
    pezolva::testing::write_file(file, bytes);
    const auto found = QuickCheckOnTwoConnections(file, connect());
    ASSERT_TRUE(found.has_value());
    EXPECT_NE(found->find("páginas"), std::string::npos) << *found;
}

// Free pages are accounted for by walking the free list: a page both free
// and in a tree, or a free list shorter than the header says, is found.
TEST_F(WholeFileCheckTest, FreePagesAreAccountedForThroughTheFreeList) {
    const std::string file = sound("com_livres.db");
    {
        Database db = OpenDatabase(file, false, false, "");
        db.Execute("DELETE FROM grande WHERE id % 2 = 0");
        ASSERT_GT(db.OpenRecordset("PRAGMA freelist_count")
                      .Fields(std::size_t{0})
                      .to_integer()
                      .value_or(0),
                  1);
    }
    EXPECT_EQ(QuickCheckOnTwoConnections(file, connect()), std::nullopt);
    const std::string good = pezolva::testing::read_file(file);
    const std::size_t trunk = (header_number(good, 32) - 1) * std::size_t{4096};
    ASSERT_GT(header_number(good, trunk + 4), 0u) << "the trunk lists a leaf";

    std::string bytes = good;
    const auto root = static_cast<std::uint32_t>(root_of(file, "grande_n"));
    for (int i = 0; i < 4; ++i) bytes[trunk + 8 + i] = static_cast<char>(root >> (24 - 8 * i));
    pezolva::testing::write_file(file, bytes);
    EXPECT_TRUE(QuickCheckOnTwoConnections(file, connect()).has_value())
        << "a tree's page listed as free";

    bytes = good;
    bytes[39] = static_cast<char>(bytes[39] + 1);
    pezolva::testing::write_file(file, bytes);
    const auto found = QuickCheckOnTwoConnections(file, connect());
    ASSERT_TRUE(found.has_value()) << "a free list shorter than the header says";
    EXPECT_NE(found->find("livres"), std::string::npos) << *found;
}

// The same pieces in the queue of a reading of every row.
TEST_F(WholeFileCheckTest, ReadingTheRowsFindsDamageAsTheCheckDoes) {
    const std::string file = sound("lida.db");
    EXPECT_EQ(CheckAndScanRows(file, connect()).damage, std::nullopt);
    std::string bytes = pezolva::testing::read_file(file);
    const std::int64_t root = root_of(file, "sem_rowid");
    bytes.replace(static_cast<std::size_t>(root - 1) * 4096, 4096, std::string(4096, '\x5a'));
    pezolva::testing::write_file(file, bytes);
    EXPECT_TRUE(CheckAndScanRows(file, connect()).damage.has_value());
}

}  // namespace
}  // namespace pezolva::engine::testing
