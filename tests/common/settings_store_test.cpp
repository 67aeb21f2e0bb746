#include "common/settings_store.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pezolva {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    LocalFileSystem files;
    IniSettingsStore store{dir.file("config/pelvor"), files};
};

TEST_F(SettingsStoreTest, MissingKeysReadAsTheDefault) {
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", ""), "");
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", "x"), "x");
}

TEST_F(SettingsStoreTest, ApplicationsSectionsAndKeysAreCaseBlind) {
    store.save("ZOLVA", "brasol", "descr", "Corporação de Bombeiros");
    EXPECT_EQ(store.get("zolva", "BRASOL", "Descr", ""), "Corporação de Bombeiros");
    store.save("Zolva", "Brasol", "DESCR", "outra");
    EXPECT_EQ(store.get("ZOLVA", "brasol", "descr", ""), "outra");
    EXPECT_EQ(testing::read_file(store.file_of("ZOLVA")), "[brasol]\ndescr=outra\n");
}

TEST_F(SettingsStoreTest, FileIsReadableIniAndKeepsOtherLines) {
    store.save("ZOLVA", "Projectos", "Nomes", "a;b");
    store.save("ZOLVA", "a", "path", "/dados/a/");
    store.save("ZOLVA", "Projectos", "Extra", "1");
    EXPECT_EQ(testing::read_file(store.file_of("ZOLVA")),
              "[Projectos]\nNomes=a;b\nExtra=1\n\n[a]\npath=/dados/a/\n");
    // A person's comment survives a later save.
    testing::write_file(store.file_of("ZOLVA"),
                        "; escrito à mão\n[Projectos]\nNomes=a;b\n\n[a]\npath=/dados/a/\n");
    store.save("ZOLVA", "a", "path", "/novo");
    EXPECT_EQ(testing::read_file(store.file_of("ZOLVA")),
              "; escrito à mão\n[Projectos]\nNomes=a;b\n\n[a]\npath=/novo\n");
}

TEST_F(SettingsStoreTest, ValuesRoundTripWhateverTheyHold) {
    for (const std::string value : {" espaço à frente", "linha\nquebrada", "\"aspas\"", "a=b",
                                    "c:\\pasta\\", "", "fim "}) {
        store.save("ZOLVA", "s", "k", value);
        EXPECT_EQ(store.get("ZOLVA", "s", "k", "default"), value);
    }
}

TEST_F(SettingsStoreTest, EachApplicationHasItsOwnFile) {
    store.save("ZOLVA", "setup", "ORIGEM", "POSTO");
    store.save("brasol", "setup", "ORIGEM", "PRINCIPAL");
    EXPECT_EQ(store.get("brasol", "setup", "ORIGEM", ""), "PRINCIPAL");
    EXPECT_EQ(store.get("ZOLVA", "setup", "ORIGEM", ""), "POSTO");
    EXPECT_NE(store.file_of("ZOLVA"), store.file_of("brasol"));
}

}  // namespace
}  // namespace pezolva
