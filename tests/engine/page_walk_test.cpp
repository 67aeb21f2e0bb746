// The page accounting of the whole-file check: every page of the file
// used once, by one b-tree or by the free list, found by walking the trees
// ourselves.  Damage must be a finding that names the page, never a crash
// or a hang.
#include "engine/detail/page_walk.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <random>

#include "engine/whole_file_check.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

constexpr std::size_t kPage = 4096;

class PageWalkTest : public EngineTest {
  protected:
    // Long texts and blobs that spill onto overflow pages from table
    // leaves, from index leaves and from the interior cells of an index
    // (whose keys are too long for one page), a table without rowids with
    // long keys, and a second table large enough for the check to be
    // shared out.
    static void fill(Database& db, int rows = 400) {
        db.Execute(
            "CREATE TABLE textos (id INTEGER PRIMARY KEY, titulo TEXT, corpo TEXT, dados BLOB)");
        db.Execute("CREATE INDEX textos_titulo ON textos (titulo)");
        db.Execute("CREATE TABLE chaves (k TEXT PRIMARY KEY, v INTEGER) WITHOUT ROWID");
        db.Execute("CREATE TABLE outra (id INTEGER PRIMARY KEY, nome TEXT)");
        db.Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " +
                   std::to_string(rows) +
                   ") "
                   "INSERT INTO textos (titulo, corpo, dados) SELECT printf('%04d', i) || "
                   "hex(randomblob(CASE WHEN i % 50 = 0 THEN 2600 ELSE 700 END + i % 300)), "
                   "hex(randomblob(i * 17 % 9000)), "
                   "CASE WHEN i % 3 = 0 THEN randomblob(9000) END FROM k");
        db.Execute("INSERT INTO chaves SELECT titulo || 'k', id FROM textos");
        db.Execute(
            "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 300) "
            "INSERT INTO outra (nome) SELECT 'nome ' || i FROM k");
    }
    std::string sound(const std::string& name, int rows = 400) {
        Database db = make(name);
        fill(db, rows);
        db.Execute("VACUUM");
        return path(name);
    }

    // What the page accounting piece of the check finds in `file`.
    static std::optional<std::string> accounting(const std::string& file) {
        Database db = OpenDatabase(file, false, true, "");
        const QuickCheckPieces pieces(db);
        EXPECT_GT(pieces.size(), 1u) << "the check is shared out";
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (pieces.table(i).empty()) return pieces.Run(db, i);
        }
        ADD_FAILURE() << "no page accounting among the pieces";
        return std::nullopt;
    }
    // The pages of `file` counted by the walker with a cache of `blocks`
    // blocks of `block_bytes`.
    static detail::PageTally walk(const std::string& file, std::int64_t block_bytes,
                                  std::size_t blocks) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closing(db, sqlite3_close);
        const auto rows = [&](const char* sql) {
            std::vector<std::int64_t> found;
            sqlite3_stmt* s = nullptr;
            EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK);
            while (sqlite3_step(s) == SQLITE_ROW) found.push_back(sqlite3_column_int64(s, 0));
            sqlite3_finalize(s);
            return found;
        };
        EXPECT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        std::vector<std::int64_t> roots =
            rows("SELECT rootpage FROM sqlite_schema WHERE rootpage > 0");
        roots.insert(roots.begin(), 1);
        detail::PageTally tally(rows("PRAGMA page_count").at(0));
        detail::PageReader reader(db, file, rows("PRAGMA page_size").at(0), block_bytes, blocks);
        detail::CountTreePages(reader, roots, tally);
        detail::CountFreeList(reader, tally);
        EXPECT_GT(reader.reads(), 0);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        return tally;
    }

    static std::vector<std::int64_t> numbers(Database& db, const std::string& sql) {
        std::vector<std::int64_t> found;
        for (Recordset rs = db.OpenRecordset(sql); !rs.IsEOF(); rs.MoveNext())
            found.push_back(rs.Fields(std::size_t{0}).to_integer().value_or(0));
        return found;
    }
    // The pages SQLite's own page list gives for `where`, in order.
    static std::vector<std::int64_t> pages(const std::string& file, const std::string& where) {
        Database db = OpenDatabase(file, false, true, "");
        return numbers(db, "SELECT pageno FROM dbstat WHERE " + where + " ORDER BY pageno");
    }

    static std::size_t at(std::int64_t page, std::size_t offset = 0) {
        return static_cast<std::size_t>(page - 1) * kPage + offset;
    }
    static std::uint32_t number(const std::string& bytes, std::size_t at) {
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < 4; ++i) n = (n << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        return n;
    }
    static void put(std::string& bytes, std::size_t at, std::uint32_t n) {
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(n >> (24 - 8 * i));
    }
    // Changes `file` with `edit` and returns what the accounting finds.
    std::optional<std::string> damaged(const std::string& file,
                                       const std::function<void(std::string&)>& edit) {
        std::string bytes = pezolva::testing::read_file(file);
        edit(bytes);
        pezolva::testing::write_file(file, bytes);
        return accounting(file);
    }
};

std::string named(std::int64_t page) { return "página " + std::to_string(page); }

TEST_F(PageWalkTest, ASoundFileWithOverflowingCellsOfEveryKindPasses) {
    const std::string file = sound("boa.db");
    EXPECT_FALSE(pages(file, "name = 'textos' AND pagetype = 'overflow'").empty());
    EXPECT_FALSE(pages(file, "name = 'chaves' AND pagetype = 'overflow'").empty());
    EXPECT_FALSE(pages(file,
                       "name = 'textos_titulo' AND pagetype = 'internal' "
                       "AND mx_payload > 1002")
                     .empty())
        << "interior cells of the index overflow";
    EXPECT_EQ(accounting(file), std::nullopt);
    EXPECT_EQ(QuickCheckOnTwoConnections(file, ";pwd="), std::nullopt);
    // Every page counted once, whatever the blocks kept: one page at a time
    // makes every page the walker holds go before the next is read.
    const std::int64_t all =
        static_cast<std::int64_t>(pezolva::testing::read_file(file).size() / kPage);
    for (const auto& [block, blocks] :
         {std::pair<std::int64_t, std::size_t>{4096, 1}, {65536, 2}, {1 << 20, 16}}) {
        SCOPED_TRACE(block);
        const detail::PageTally tally = walk(file, block, blocks);
        EXPECT_EQ(tally.problem(), "");
        EXPECT_EQ(tally.distinct(), all);
        EXPECT_EQ(tally.twice(), 0);
    }
}

TEST_F(PageWalkTest, FreePagesAndReservedBytesPerPagePass) {
    const std::string file = path("reservada.db");
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        int reserve = 40;
        EXPECT_EQ(sqlite3_file_control(raw, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve),
                  SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, "CREATE TABLE vazia (a)", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    {
        Database db = OpenDatabase(file, false, false, "");
        fill(db);
        db.Execute("DELETE FROM textos WHERE id % 5 = 0");
    }
    const std::string bytes = pezolva::testing::read_file(file);
    ASSERT_EQ(static_cast<int>(bytes[20]), 40) << "bytes reserved at the end of each page";
    ASSERT_GT(number(bytes, 36), 0u) << "free pages";
    EXPECT_EQ(accounting(file), std::nullopt);
}

// A page of one tree that another also points to: counted twice, named,
// and not followed again.
TEST_F(PageWalkTest, APageUsedByTwoTreesIsNamed) {
    const std::string file = sound("duas.db");
    const std::int64_t root = pages(file, "name = 'textos' AND path = '/'").at(0);
    const std::int64_t other = pages(file, "name = 'outra' AND pagetype = 'leaf'").at(0);
    const auto found = damaged(file, [&](std::string& b) { put(b, at(root, 8), other); });
    ASSERT_TRUE(found.has_value());
    EXPECT_NE(found->find(named(other) + " é usada mais de uma vez"), std::string::npos) << *found;
}

TEST_F(PageWalkTest, AnOverflowPageAlsoOnTheFreeListIsNamed) {
    const std::string file = sound("livre.db");
    {
        Database db = OpenDatabase(file, false, false, "");
        db.Execute("DELETE FROM outra WHERE id % 2 = 0");
        db.Execute("DELETE FROM textos WHERE id % 7 = 0");
    }
    const std::int64_t overflow = pages(file, "name = 'textos' AND pagetype = 'overflow'").at(0);
    const auto found = damaged(file, [&](std::string& b) {
        const std::size_t trunk = at(number(b, 32));
        ASSERT_GT(number(b, trunk + 4), 0u);
        put(b, trunk + 8, static_cast<std::uint32_t>(overflow));
    });
    ASSERT_TRUE(found.has_value());
    EXPECT_NE(found->find(named(overflow) + " é usada mais de uma vez"), std::string::npos)
        << *found;
}

TEST_F(PageWalkTest, APageNoTreeHoldsIsNamed) {
    const std::string file = sound("a_mais.db");
    const auto last = static_cast<std::uint32_t>(pezolva::testing::read_file(file).size() / kPage);
    const auto found = damaged(file, [&](std::string& b) {
        put(b, 28, last + 1);
        b.append(kPage, '\0');
    });
    ASSERT_TRUE(found.has_value());
    EXPECT_NE(found->find("páginas em uso"), std::string::npos) << *found;
    EXPECT_NE(found->find(named(last + 1) + " não pertence a nenhuma árvore"), std::string::npos)
        << *found;
}

// An overflow chain one page short, one page too long, or looping back on
// itself, in a table and in an index.
TEST_F(PageWalkTest, AnOverflowChainOfTheWrongLengthIsNamed) {
    for (const char* tree : {"textos", "textos_titulo"}) {
        SCOPED_TRACE(tree);
        const std::string file = sound(std::string(tree) + ".db");
        const std::string good = pezolva::testing::read_file(file);
        const std::string in = std::string("name = '") + tree + "' AND pagetype = 'overflow'";
        // A chain of two pages or more: its first page names the second.
        std::int64_t first = 0;
        for (const std::int64_t p : pages(file, in + " AND path LIKE '%+000000'")) {
            const std::uint32_t next = number(good, at(p));
            if (next != 0 && number(good, at(next)) == 0) first = p;
        }
        ASSERT_NE(first, 0);
        const std::int64_t second = number(good, at(first));
        const std::int64_t elsewhere = pages(file, "name = 'outra' AND pagetype = 'leaf'").at(0);
        struct Case {
            std::int64_t page;
            std::uint32_t next;
            const char* said;
        };
        for (const Case& c : {Case{first, 0, "mais curta"}, Case{second, 2, "mais longa"},
                              Case{second, static_cast<std::uint32_t>(first), "mais longa"},
                              Case{second, static_cast<std::uint32_t>(elsewhere), "mais longa"}}) {
            SCOPED_TRACE(c.said);
            pezolva::testing::write_file(file, good);
            const auto found = damaged(file, [&](std::string& b) { put(b, at(c.page), c.next); });
            ASSERT_TRUE(found.has_value());
            EXPECT_NE(found->find("continuação"), std::string::npos) << *found;
        }
    }
}

// Bytes of a page's header or cell pointers garbled: each a finding that
// names the page.
TEST_F(PageWalkTest, AGarbledPageIsNamed) {
    const std::string file = sound("estragada.db");
    const std::string good = pezolva::testing::read_file(file);
    const std::int64_t interior = pages(file, "name = 'textos_titulo' AND path = '/'").at(0);
    const std::int64_t leaf = pages(file, "name = 'chaves' AND pagetype = 'leaf'").at(0);
    const std::int64_t index_leaf =
        pages(file, "name = 'textos_titulo' AND pagetype = 'leaf'").at(0);
    struct Case {
        std::int64_t page;
        std::size_t offset;
        std::string bytes;
        const char* said;
    };
    const std::int64_t beyond = static_cast<std::int64_t>(good.size() / kPage) + 5;
    const std::string far{char(beyond >> 24), char(beyond >> 16), char(beyond >> 8), char(beyond)};
    const std::vector<Case> cases = {
        {leaf, 0, "\x07", "não é uma página de árvore"},
        {interior, 0, std::string(1, '\0'), "não é uma página de árvore"},
        {index_leaf, 0, "\x0d", "de outro tipo"},
        {leaf, 3, "\xff\xff", "mais células"},
        {leaf, 8, "\x0f\xfe", "célula fora"},
        {leaf, 8, std::string("\0\x02", 2), "célula fora"},
        {interior, 12, "\x0f\xfa", "célula fora"},
        {interior, 8, far, "fora do ficheiro"},
        {interior, 8, std::string(4, '\0'), "fora do ficheiro"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.said) + " " + std::to_string(c.page));
        pezolva::testing::write_file(file, good);
        const auto found = damaged(file, [&](std::string& b) {
            b.replace(at(c.page, c.offset), c.bytes.size(), c.bytes);
        });
        ASSERT_TRUE(found.has_value());
        EXPECT_NE(found->find(c.said), std::string::npos) << *found;
        EXPECT_NE(found->find(named(c.page)), std::string::npos) << *found;
    }
}

// An interior page that points back at itself or at its tree's root: a
// page counted twice, never a walk that goes round.
TEST_F(PageWalkTest, ALoopInATreeEndsTheWalk) {
    const std::string file = sound("volta.db");
    const std::string good = pezolva::testing::read_file(file);
    const std::vector<std::int64_t> interior =
        pages(file, "name = 'textos_titulo' AND pagetype = 'internal'");
    ASSERT_GE(interior.size(), 2u);
    for (const std::int64_t target : {interior[0], interior[1]}) {
        pezolva::testing::write_file(file, good);
        const auto found =
            damaged(file, [&](std::string& b) { put(b, at(interior[1], 8), target); });
        ASSERT_TRUE(found.has_value());
        EXPECT_NE(found->find("mais de uma vez"), std::string::npos) << *found;
    }
}

// Random bytes written over a small file, many times: the accounting
// either passes or finds something, and never crashes, hangs or throws.
TEST_F(PageWalkTest, RandomDamageIsAFindingOrNothing) {
    const std::string file = sound("aleatoria.db", 60);
    const std::string good = pezolva::testing::read_file(file);
    const std::size_t page_count = good.size() / kPage;
    std::mt19937 random(20251208);
    int found = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::string bytes = good;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            const std::size_t page = random() % page_count;
            // Mostly where the structure is: headers and cell pointers.
            const std::size_t offset =
                page == 0 ? 100 + random() % 60 : (random() % 2 ? random() % 40 : random() % kPage);
            bytes[page * kPage + offset] = static_cast<char>(random());
        }
        pezolva::testing::write_file(file, bytes);
        std::optional<Database> db;
        std::optional<QuickCheckPieces> pieces;
        try {
            db.emplace(OpenDatabase(file, false, true, ""));
            pieces.emplace(*db);
        } catch (const EngineError&) {
            continue;  // opening or planning read the schema, which is what broke
        }
        for (std::size_t i = 0; pieces->size() > 1 && i < pieces->size(); ++i) {
            if (pieces->table(i).empty()) {
                try {
                    if (pieces->Run(*db, i)) ++found;
                } catch (const EngineError& e) {
                    ADD_FAILURE() << e.numero() << " " << e.descricao();
                }
            }
        }
    }
    EXPECT_GT(found, 0);
}

}  // namespace
}  // namespace pezolva::engine::testing
