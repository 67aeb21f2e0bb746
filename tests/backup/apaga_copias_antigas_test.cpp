#include "backup/apaga_copias_antigas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>

#include "backup/nome_copia.h"
#include "common/text.h"
#include "engine/lock_file.h"
#include "support/temp_dir.h"

namespace pezolva::backup {
namespace {

// The real file system, except that the listing comes in an order the test
// chooses and deleting chosen names fails as a refused permission would.
class SteeredFileSystem : public LocalFileSystem {
  public:
    std::vector<std::string> list_files(const std::string& folder) override {
        std::vector<std::string> names = LocalFileSystem::list_files(folder);
        std::sort(names.begin(), names.end());
        if (reverse_listing) std::reverse(names.begin(), names.end());
        if (shuffle_seed) std::shuffle(names.begin(), names.end(), std::mt19937(*shuffle_seed));
        return names;
    }
    void remove(const std::string& path) override {
        if (refuse_removal.contains(file_name_of(path))) {
            throw FileError(13, "Não foi possível apagar " + path + ": permissão recusada");
        }
        LocalFileSystem::remove(path);
        // Lock files come and go with their copies; the copies are what count.
        if (!file_name_of(path).starts_with('.')) removed.push_back(file_name_of(path));
    }

    bool reverse_listing = false;
    std::optional<unsigned> shuffle_seed;
    std::set<std::string> refuse_removal;
    std::vector<std::string> removed;
};

class ApagaCopiasAntigasTest : public ::testing::Test {
  protected:
    // A copy of `database` made at 10:00 on the given day of May 2005.
    std::string put_copy(int day, const std::string& database = "brasol.mdb") {
        const std::string name = nome_copia(database, DateTime{2005, 5, day, 10, 0, 0});
        put(name);
        return name;
    }
    void put(const std::string& name) { testing::write_file(dir.file(name), name); }

    void keep(int manter, const std::string& nova = {}) {
        apaga_copias_antigas(files, "/dados/brasol.mdb", manter, dir.str(), nova);
    }

    std::set<std::string> present() {
        const auto names = LocalFileSystem().list_files(dir.str());
        return {names.begin(), names.end()};
    }

    testing::TempDir dir;
    SteeredFileSystem files;
};

TEST_F(ApagaCopiasAntigasTest, DeletesTheOldestSoThatTheNewCopyAndTheNewestRemain) {
    put_copy(1);
    put_copy(2);
    put_copy(3);
    put_copy(4);
    const std::string nova = put_copy(5);
    keep(3, nova);
    EXPECT_EQ(files.removed,
              (std::vector<std::string>{"brasol200505011000.mdb", "brasol200505021000.mdb"}));
    EXPECT_EQ(present(),
              (std::set<std::string>{"brasol200505031000.mdb", "brasol200505041000.mdb", nova}));
}

TEST_F(ApagaCopiasAntigasTest, AtMostTheNumberToKeepOrNothingToKeepDeletesNothing) {
    put_copy(1);
    put_copy(2);
    keep(3);
    keep(2);
    keep(0);  // the caller refuses this setting first
    keep(-1);
    EXPECT_TRUE(files.removed.empty());
    EXPECT_EQ(present().size(), 2u);
}

TEST_F(ApagaCopiasAntigasTest, TouchesOnlyThisDatabasesValidCopies) {
    put_copy(1, "brasol_fotos.mdb");
    put_copy(2, "brasol_fotos.mdb");
    put_copy(3);
    put_copy(4);
    const std::set<std::string> strangers = {
        "brasol.mdb",
        "brasol.bak",
        "brasol200505011000.bak",
        "brasol200502301407.mdb",  // 30 February
        "brasol20050501100.mdb",
        "brasola200505011000.mdb",
        "bravos200505011000.mdb",  // another database whose name is as long
        "BRAVOS200505021000.MDB",
        "tmp.mdb",
        "Brasol.mdb.old.mdb",
        nome_temporario("brasol200505011000.mdb", 1),
        nome_temporario(nome_copia("brasol.mdb", DateTime{2005, 5, 5, 9, 0, 0}), 2),
    };
    for (const auto& name : strangers) put(name);

    keep(1);
    EXPECT_EQ(files.removed, std::vector<std::string>{"brasol200505031000.mdb"});
    apaga_copias_antigas(files, "brasol_fotos.mdb", 1, dir.str());
    EXPECT_EQ(files.removed,
              (std::vector<std::string>{"brasol200505031000.mdb", "brasol_fotos200505011000.mdb"}));
    for (const auto& name : strangers) EXPECT_TRUE(present().contains(name)) << name;
}

TEST_F(ApagaCopiasAntigasTest, TheOldestGoWhateverTheListingOrderAndLetterCase) {
    const std::vector<std::string> names = {"BRASOL200505011000.MDB", "brasol200505021000.mdb",
                                            "Brasol200505031000.Mdb", "brasol200505041000.mdb",
                                            "brasol200505051000.mdb", "brasol200405311000.mdb"};
    for (int order = 0; order < 6; ++order) {
        for (const auto& name : names) put(name);
        files.removed.clear();
        files.reverse_listing = order == 1;
        if (order >= 2) files.shuffle_seed = static_cast<unsigned>(order);
        keep(3);
        EXPECT_EQ(files.removed,
                  (std::vector<std::string>{"brasol200405311000.mdb", "BRASOL200505011000.MDB",
                                            "brasol200505021000.mdb"}))
            << "order " << order;
    }
}

TEST_F(ApagaCopiasAntigasTest, AFailedDeleteReachesTheCallerAndKeepsWhatRemains) {
    put_copy(1);
    put_copy(2);
    put_copy(3);
    put_copy(4);
    files.refuse_removal = {"brasol200505021000.mdb"};
    try {
        keep(1);
        FAIL() << "the refused delete was not reported";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.descricao()).find("brasol200505021000.mdb"), std::string::npos);
    }
    // The copy that stayed keeps the lock taken to delete it.
    EXPECT_EQ(present(),
              (std::set<std::string>{".brasol200505021000.mdb.lock", "brasol200505021000.mdb",
                                     "brasol200505031000.mdb", "brasol200505041000.mdb"}));
}

TEST_F(ApagaCopiasAntigasTest, TheNewCopySurvivesACopyStampedInTheFuture) {
    put("brasol203001011000.mdb");  // written by a machine whose clock ran ahead
    const std::string nova = put_copy(19);
    keep(1, nova);
    EXPECT_EQ(present(), std::set<std::string>{nova});

    // Without being told which copy is new, the smallest stamp goes.
    put("brasol203001011000.mdb");
    keep(1);
    EXPECT_EQ(present(), std::set<std::string>{"brasol203001011000.mdb"});
}

TEST_F(ApagaCopiasAntigasTest, ACopyHeldOpenElsewhereIsSkippedAndNoYoungerOneGoesInstead) {
    const std::string oldest = put_copy(1);
    put_copy(2);
    put_copy(3);
    put_copy(4);
    std::vector<std::string> skipped;
    {
        // What a reader of the copy (the restore window, another
        // workstation) holds while it has the copy open.
        engine::CompanionLock reader(dir.file(oldest), engine::CompanionLock::Mode::Shared);
        skipped = apaga_copias_antigas(files, "/dados/brasol.mdb", 2, dir.str());
    }
    EXPECT_EQ(skipped, std::vector<std::string>{oldest});
    EXPECT_EQ(files.removed, std::vector<std::string>{"brasol200505021000.mdb"});
    EXPECT_EQ(present(),
              (std::set<std::string>{".brasol200505011000.mdb.lock", "brasol200505011000.mdb",
                                     "brasol200505031000.mdb", "brasol200505041000.mdb"}));
}

}  // namespace
}  // namespace pezolva::backup
