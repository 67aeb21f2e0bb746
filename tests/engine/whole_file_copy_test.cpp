// When a snapshot can stand, page for page, for the copy a fill would
// build from the structure, and what reading its rows finds.
#include "engine/whole_file_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

const char* const kParent = "CREATE TABLE pai (id INTEGER PRIMARY KEY, nome TEXT NOT NULL)";
const char* const kChild =
    "CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai INTEGER REFERENCES pai(id), valor NUMERIC, "
    "UNIQUE (id_pai, valor))";
const char* const kIndex = "CREATE INDEX filho_valor ON filho (valor)";

class WholeFileCopyTest : public EngineTest {
  protected:
    Database with(const std::string& name, std::initializer_list<std::string> statements) {
        Database db = make(name);
        for (const std::string& s : statements) db.Execute(s);
        return db;
    }
    static std::string entries(Database& db) {
        return db
            .OpenRecordset(
                "SELECT group_concat(type || ' ' || name, ', ') FROM "
                "(SELECT type, name FROM sqlite_schema ORDER BY type, name)")
            .Fields(std::size_t{0})
            .to_text();
    }
};

TEST_F(WholeFileCopyTest, EntriesBeyondTheStructureAreDroppedAndTheirPagesFreed) {
    Database structure = with("estrutura.ebd", {kParent, kChild, kIndex});
    Database source =
        with("instantaneo.db",
             {kParent, kChild, kIndex, "CREATE TABLE registo (nome TEXT UNIQUE, n INTEGER)",
              "CREATE INDEX registo_n ON registo (n)", "CREATE VIEW so_pais AS SELECT * FROM pai",
              "CREATE TRIGGER ao_inserir AFTER INSERT ON pai BEGIN "
              "UPDATE registo SET n = n + 1; END",
              "INSERT INTO pai VALUES (1, 'a')", "INSERT INTO registo VALUES ('x', 1)"});
    const std::optional<std::int64_t> free_pages = KeepStructureDefinitions(source, structure);
    ASSERT_TRUE(free_pages.has_value());
    EXPECT_GT(*free_pages, 0) << "the register's table and indexes are free pages now";
    EXPECT_EQ(entries(source), entries(structure));
    EXPECT_EQ(source.OpenRecordset("SELECT nome FROM pai").Fields(std::size_t{0}).to_text(), "a");
    EXPECT_EQ(source.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text(), "ok");
}

TEST_F(WholeFileCopyTest, AnyOtherDifferenceLeavesTheSnapshotAsItWas) {
    struct Case {
        const char* name;
        std::vector<std::string> source;  // beside the structure's pai
    };
    const std::vector<Case> cases = {
        {"a column more",
         {"CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai INTEGER REFERENCES pai(id), "
          "valor NUMERIC, extra TEXT, UNIQUE (id_pai, valor))",
          kIndex}},
        {"the same table spelt otherwise",
         {"CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai INTEGER "
          "REFERENCES pai(id), valor numeric, UNIQUE (id_pai, valor))",
          kIndex}},
        {"an index missing", {kChild}},
        {"another index", {kChild, "CREATE INDEX filho_valor ON filho (valor DESC)"}},
        {"statistics of its own", {kChild, kIndex, "ANALYZE"}},
        {"another user version", {kChild, kIndex, "PRAGMA user_version = 7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tag = std::to_string(&c - cases.data());
        Database structure = with("estrutura" + tag + ".ebd", {kParent, kChild, kIndex});
        Database source = make("instantaneo" + tag + ".db");
        source.Execute(kParent);
        for (const std::string& s : c.source) source.Execute(s);
        source.Execute("INSERT INTO pai VALUES (1, 'a')");
        source.Execute("INSERT INTO filho (id, id_pai, valor) VALUES (1, 1, 2)");
        const std::string before = entries(source);
        EXPECT_EQ(KeepStructureDefinitions(source, structure), std::nullopt);
        EXPECT_EQ(entries(source), before);
    }
}

TEST_F(WholeFileCopyTest, ReadingTheRowsCountsThemAndFindsRowsThatBreakARule) {
    struct Case {
        const char* name;
        const char* row;  // into filho, beside two good rows
        bool broken;
    };
    for (const Case& c :
         {Case{"clean", "INSERT INTO filho VALUES (3, NULL, 4)", false},
          Case{"text in a number column", "INSERT INTO filho VALUES (3, 1, 'muito')", true},
          Case{"a child without its parent", "INSERT INTO filho VALUES (3, 9, 4)", true}}) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + ".db";
        {
            // The rows a host wrote with its foreign keys off.
            Database db =
                with(name, {kParent, kChild, kIndex, "PRAGMA foreign_keys = OFF",
                            "INSERT INTO pai VALUES (1, 'a')", "INSERT INTO filho VALUES (1, 1, 2)",
                            "INSERT INTO filho VALUES (2, 1, 2.5)", c.row});
        }
        std::vector<std::string> told;
        const CheckedScan read =
            CheckAndScanRows(path(name), "", [&](const std::string& t) { told.push_back(t); });
        const RuleScan& scan = read.rows;
        EXPECT_EQ(scan.rule_broken, c.broken);
        EXPECT_EQ(read.damage, std::nullopt);
        ASSERT_EQ(scan.tables.size(), 2u);
        // A broken rule stops the reading: the counts are then of no use.
        if (c.broken) continue;
        for (const TableRows& t : scan.tables) EXPECT_EQ(t.rows, t.name == "pai" ? 1 : 3) << t.name;
        std::sort(told.begin(), told.end());
        EXPECT_EQ(told, (std::vector<std::string>{"filho", "pai"}))
            << "each table told once, when done";
    }
}

// A key whose values an index gives in order is merged with its parent's
// (its rowid, or an index of a composite key); one without is looked up
// value by value: an orphan is found either way, and a clean table passes.
TEST_F(WholeFileCopyTest, AnOrphanIsFoundWhetherOrNotAnIndexGivesTheKeysInOrder) {
    struct Case {
        const char* name;
        const char* child;
        bool broken;
    };
    const std::string parent =
        "CREATE TABLE pai (a INTEGER, b TEXT, id INTEGER PRIMARY KEY, UNIQUE (a, b))";
    for (const Case& c :
         {Case{"indexed", "INSERT INTO filho VALUES (1, 1, 1, 'x'), (2, 2, 2, 'y')", false},
          Case{"indexed orphan", "INSERT INTO filho VALUES (1, 1, 1, 'x'), (2, 3, 2, 'y')", true},
          Case{"indexed composite orphan",
               "INSERT INTO filho VALUES (1, 1, 1, 'x'), (2, 2, 2, 'x')", true},
          Case{"composite orphan", "INSERT INTO filho VALUES (1, 1, 1, 'x'), (2, 2, 2, 'x')", true},
          Case{"plain orphan",
               "INSERT INTO filho VALUES (1, 1, 1, 'x'), (2, 2, 2, 'y'), (3, NULL, 9, 'z')",
               true}}) {
        SCOPED_TRACE(c.name);
        const bool indexed = std::string(c.name).rfind("indexed", 0) == 0;
        const std::string name = std::string(c.name) + ".db";
        {
            Database db = with(
                name, {parent,
                       std::string("CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai INTEGER "
                                   "REFERENCES pai(id), a INTEGER, b TEXT, FOREIGN KEY (a, b) "
                                   "REFERENCES pai (a, b)") +
                           (indexed ? ", UNIQUE (id_pai, id), UNIQUE (a, b, id))" : ")"),
                       "PRAGMA foreign_keys = OFF",
                       "INSERT INTO pai VALUES (1, 'x', 1), (2, 'y', 2)", c.child});
        }
        const CheckedScan read = CheckAndScanRows(path(name), "");
        EXPECT_EQ(read.rows.rule_broken, c.broken);
        EXPECT_EQ(read.damage, std::nullopt);
    }
}

// A key without an index is looked up by its distinct values, or, where
// the parent is small beside the table (here 3 rows beside 100), checked on
// each row in the one reading that also looks for wrong types; a number
// column an index leads is searched through the index.  Each way finds the
// same rows, under the same conversions as "=".
TEST_F(WholeFileCopyTest, EachWayOfSearchingFindsTheSameBrokenRows) {
    struct Case {
        const char* name;
        const char* row;  // into filho, beside its good rows
        bool broken;
    };
    const std::string parent = "CREATE TABLE pai (id INTEGER PRIMARY KEY, a INTEGER, b TEXT)";
    const std::string child =
        "CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai TEXT REFERENCES pai(id), a INTEGER, "
        "b TEXT, n INTEGER, r REAL, FOREIGN KEY (a, b) REFERENCES pai (a, b))";
    for (const Case& c :
         {Case{"clean", "INSERT INTO filho VALUES (0, 2, 2, 'y', 1, 1.5)", false},
          Case{"a text key equal to its parent's number",
               "INSERT INTO filho VALUES (0, '2', 2, 'y', NULL, '7')", false},
          Case{"an orphan", "INSERT INTO filho VALUES (0, 3, 2, 'y', 1, 1)", true},
          Case{"a composite orphan", "INSERT INTO filho VALUES (0, 2, 2, 'x', 1, 1)", true},
          Case{"text in an indexed number column",
               "INSERT INTO filho VALUES (0, 2, 2, 'y', 'muito', 1)", true},
          Case{"a blob in a number column", "INSERT INTO filho VALUES (0, 2, 2, 'y', 1, x'00')",
               true}}) {
        for (const int good_rows : {2, 99}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(good_rows + 1) + " rows");
            const std::string name = std::to_string(good_rows) + c.name + ".db";
            {
                // A parent whose key is Null must not hide an orphan.
                Database db = with(
                    name,
                    {parent, child, "CREATE INDEX filho_n ON filho (n)",
                     "PRAGMA foreign_keys = OFF",
                     "INSERT INTO pai VALUES (1, 1, 'x'), (2, 2, 'y'), (5, NULL, NULL)",
                     "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " +
                         std::to_string(good_rows) +
                         ") INSERT INTO filho SELECT i, 1, 1, 'x', i, i FROM k",
                     c.row});
            }
            EXPECT_EQ(CheckAndScanRows(path(name), "").rows.rule_broken, c.broken);
        }
    }
}

TEST_F(WholeFileCopyTest, AKeyToATableThatIsNotThereCountsAsBroken) {
    {
        Database db =
            with("orfao.db",
                 {"PRAGMA foreign_keys = OFF",
                  "CREATE TABLE filho (id INTEGER PRIMARY KEY, id_pai REFERENCES ninguem(id))",
                  "INSERT INTO filho VALUES (1, NULL)"});
    }
    EXPECT_TRUE(CheckAndScanRows(path("orfao.db"), "").rows.rule_broken);
}

}  // namespace
}  // namespace pezolva::engine::testing
