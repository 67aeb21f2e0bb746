#include "common/settings_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <algorithm>
#include <thread>
#include <vector>

#include "support/sem_privilegios.h"
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


// A settings file that exists but cannot be read is never taken for an
// empty one: reading and saving fail, naming the file, and it keeps its
// bytes.
TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
    const std::string ini = store.file_of("ZOLVA");
    const std::string guardado = "[Projectos]\nNomes=obras;brasol\n";
    const auto falha_sem_mudar = [&](const std::string& caso) {
        for (int passo = 0; passo < 2; ++passo) {
            try {
                if (passo == 0) store.get("ZOLVA", "Projectos", "Nomes", "");
                else store.save("ZOLVA", "Projectos", "Nomes", "novo");
                ADD_FAILURE() << caso << ": no error";
            } catch (const FileError& e) {
                EXPECT_NE(std::string(e.what()).find(ini), std::string::npos) << caso << e.what();
            }
        }
    };

    // Not text: UTF-16 as some editors write it, and a stray NUL.
    create_directories(files, dir.file("config/pelvor"));
    for (const std::string& conteudo : {std::string("\xFF\xFE[\0P\0]\0", 8),
                                       std::string("[Projectos]\nNomes=a\0b\n", 21)}) {
        testing::write_file(ini, conteudo);
        falha_sem_mudar("não texto");
        EXPECT_EQ(testing::read_file(ini), conteudo);
    }

    // A folder where the file should be.
    std::filesystem::remove(ini);
    std::filesystem::create_directory(ini);
    falha_sem_mudar("pasta");
    EXPECT_TRUE(std::filesystem::is_directory(ini));
    std::filesystem::remove(ini);

    // No read permission, as an ordinary user finds it.
    testing::write_file(ini, guardado);
    ::chmod(ini.c_str(), 0);
    testing::entrega_ao_utilizador_comum(dir.path());
    const int falhas = testing::como_utilizador_comum([&] {
        LocalFileSystem os_ficheiros;
        IniSettingsStore outro{dir.file("config/pelvor"), os_ficheiros};
        int n = 0;
        try {
            outro.get("ZOLVA", "Projectos", "Nomes", "");
        } catch (const FileError&) {
            ++n;
        }
        try {
            outro.save("ZOLVA", "Projectos", "Nomes", "novo");
        } catch (const FileError&) {
            ++n;
        }
        return n;
    });
    EXPECT_EQ(falhas, 2);
    ::chmod(ini.c_str(), 0600);
    EXPECT_EQ(testing::read_file(ini), guardado);
}

// Two programs editing at once: each edit is one read-modify-write, so no
// name is lost.
TEST_F(SettingsStoreTest, EditsOfTwoProgramsAtOnceLoseNothing) {
    constexpr int kPorPrograma = 40;
    const auto programa = [&](const std::string& prefixo) {
        LocalFileSystem os_ficheiros;
        IniSettingsStore proprio{dir.file("config/pelvor"), os_ficheiros};
        for (int i = 0; i < kPorPrograma; ++i) {
            proprio.edit("ZOLVA", [&](SettingsEdit& s) {
                const std::string antes = s.get("Projectos", "Nomes", "");
                s.set("Projectos", "Nomes", antes + prefixo + std::to_string(i) + ";");
            });
        }
    };
    std::thread a(programa, "a"), b(programa, "b");
    a.join();
    b.join();
    const std::string nomes = store.get("ZOLVA", "Projectos", "Nomes", "");
    EXPECT_EQ(std::count(nomes.begin(), nomes.end(), ';'), 2 * kPorPrograma) << nomes;
}

TEST_F(SettingsStoreTest, ASaveRemovesWhatAKilledSaveLeftAndNothingElse) {
    store.save("ZOLVA", "Projectos", "Nomes", "a");
    const std::string pasta = dir.file("config/pelvor/");
    for (const char* nome : {"ZOLVA.ini.0123456789abcdef.tmp", "ZOLVA.ini.bak",
                             "outro.ini.0123456789abcdef.tmp", "ZOLVA.ini.0123.tmp"}) {
        testing::write_file(pasta + nome, "meio");
    }
    store.save("ZOLVA", "Projectos", "Nomes", "b");
    std::vector<std::string> ficam = files.list_files(dir.file("config/pelvor"));
    std::sort(ficam.begin(), ficam.end());
    EXPECT_EQ(ficam, (std::vector<std::string>{".lock", "ZOLVA.ini", "ZOLVA.ini.0123.tmp",
                                               "ZOLVA.ini.bak", "outro.ini.0123456789abcdef.tmp"}));
}

TEST_F(SettingsStoreTest, SectionsAndKeysALineCannotHoldAreRefused) {
    store.save("ZOLVA", "Projectos", "Nomes", "a");
    const std::string antes = testing::read_file(store.file_of("ZOLVA"));
    for (const auto& [seccao, chave] : std::vector<std::pair<std::string, std::string>>{
             {"obras]\n[Projectos", "path"}, {"linha\nquebrada", "path"}, {"obras", "a=b"},
             {"obras", "[x"}, {"obras", " k"}, {"obras", ";k"}}) {
        EXPECT_THROW(store.save("ZOLVA", seccao, chave, "v"), FileError) << seccao << chave;
    }
    // Bytes that are not UTF-8 would make the whole file unreadable.
    EXPECT_THROW(store.save("ZOLVA", "obras", "descr", "ab\xFF" "c"), FileError);
    EXPECT_THROW(store.save("ZOLVA", "obras\xC3", "descr", "v"), FileError);
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", ""), "a");
    EXPECT_EQ(testing::read_file(store.file_of("ZOLVA")), antes);
    // What a line can hold reads back unchanged.
    store.save("ZOLVA", "a[b c", "k", "v");
    EXPECT_EQ(store.get("ZOLVA", "a[b c", "k", ""), "v");
}

}  // namespace
}  // namespace pezolva
