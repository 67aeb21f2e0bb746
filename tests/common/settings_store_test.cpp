#include "common/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
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
    for (const std::string value :
         {" espaço à frente", "linha\nquebrada", "\"aspas\"", "a=b", "c:\\pasta\\", "", "fim "}) {
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
                if (passo == 0)
                    store.get("ZOLVA", "Projectos", "Nomes", "");
                else
                    store.save("ZOLVA", "Projectos", "Nomes", "novo");
                ADD_FAILURE() << caso << ": no error";
            } catch (const FileError& e) {
                EXPECT_NE(std::string(e.what()).find(ini), std::string::npos) << caso << e.what();
            }
        }
    };

    // A folder where the file should be.
    create_directories(files, dir.file("config/pelvor"));
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

// Settings as people leave them: a line saved by a Windows editor is read
// as Windows-1252 and stays byte for byte, a damaged line (a NUL) is not
// read and stays too; an edit changes only the lines it writes.
TEST_F(SettingsStoreTest, LinesThatAreNotUtf8AreReadAsWindows1252AndKeptAsTheyWere) {
    std::vector<std::pair<std::string, bool>> avisos;
    store.on_notice(
        [&](const std::string& texto, bool importante) { avisos.emplace_back(texto, importante); });
    const std::string ini = store.file_of("ZOLVA");
    create_directories(files, dir.file("config/pelvor"));
    static const char kMisto[] =
        "[Projectos]\r\nNomes=obras;gest\xE3o\r\n"
        "\x81\xFE\x01lixo sem sentido\xC3\n"
        "[obras]\ndescr=Obras P\xFA"
        "blicas \x80 1\npath=/d\0ados\n"
        "[gest\xE3o]\ndescr=Gest\xC3\xA3o\n";
    const std::string misto(kMisto, sizeof kMisto - 1);
    testing::write_file(ini, misto);
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", ""), "obras;gestão");
    EXPECT_EQ(store.get("ZOLVA", "obras", "descr", ""), "Obras Públicas € 1");
    EXPECT_EQ(store.get("ZOLVA", "obras", "path", "nenhum"), "nenhum");  // the NUL line
    EXPECT_EQ(store.get("ZOLVA", "GESTÃO", "descr", ""), "Gestão");
    // Told once, as a note, naming the file.
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_FALSE(avisos[0].second);
    EXPECT_NE(avisos[0].first.find(ini), std::string::npos) << avisos[0].first;
    EXPECT_NE(avisos[0].first.find("Windows-1252"), std::string::npos) << avisos[0].first;

    store.save("ZOLVA", "obras", "nome_bd", "brasol.mdb");
    std::string esperado = misto;
    esperado.erase(std::remove(esperado.begin(), esperado.end(), '\r'), esperado.end());
    esperado.insert(esperado.find("path=/d"), "nome_bd=brasol.mdb\n");
    EXPECT_EQ(testing::read_file(ini), esperado);
    // A line the edit writes is UTF-8 from then on.
    store.save("ZOLVA", "obras", "descr", "Obras Públicas");
    EXPECT_NE(testing::read_file(ini).find("descr=Obras Públicas\n"), std::string::npos);
    EXPECT_EQ(store.get("ZOLVA", "obras", "descr", ""), "Obras Públicas");
    EXPECT_EQ(avisos.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("config/pelvor")), {}),
              2);  // and .lock
}

// A file with no section at all holds nothing to read: it is set aside
// under a dated name (never deleted), said once, and the settings start
// empty; reads and edits both do it.
TEST_F(SettingsStoreTest, AFileWithoutSectionsIsSetAsideAndTheSettingsStartEmpty) {
    std::vector<std::pair<std::string, bool>> avisos;
    store.on_notice(
        [&](const std::string& texto, bool importante) { avisos.emplace_back(texto, importante); });
    const std::string ini = store.file_of("ZOLVA");
    const std::string pasta = dir.file("config/pelvor");
    create_directories(files, pasta);
    static const char kLixo[] = "\xFF\xFE[\0P\0]\0\n\x00\x13\x87 garbage\n";
    const std::string lixo(kLixo, sizeof kLixo - 1);
    const auto postos_de_lado = [&] {
        std::vector<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta)) {
            const std::string nome = e.path().filename().string();
            if (nome.rfind("ZOLVA.ini.", 0) == 0) nomes.push_back(nome);
        }
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    };
    for (int passo = 0; passo < 2; ++passo) {
        testing::write_file(ini, lixo);
        if (passo == 0) {
            EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", "vazio"), "vazio");
            EXPECT_FALSE(std::filesystem::exists(ini));
        } else {
            store.save("ZOLVA", "Projectos", "Nomes", "obras");
            EXPECT_EQ(testing::read_file(ini), "[Projectos]\nNomes=obras\n");
        }
        // Dated to the minute; a second one in the same minute gets "-2".
        const std::vector<std::string> nomes = postos_de_lado();
        ASSERT_EQ(nomes.size(), static_cast<std::size_t>(passo + 1));
        for (const std::string& nome : nomes) {
            EXPECT_TRUE(
                std::regex_match(nome, std::regex(R"(ZOLVA\.ini\.[0-9]{12}(-2)?\.ilegivel)")))
                << nome;
            EXPECT_EQ(testing::read_file(pasta + "/" + nome), lixo);
        }
        ASSERT_EQ(avisos.size(), static_cast<std::size_t>(passo + 1));
        EXPECT_TRUE(avisos.back().second);
        const std::string& aviso = avisos.back().first;
        EXPECT_TRUE(std::any_of(nomes.begin(), nomes.end(), [&](const std::string& n) {
            return aviso.find(pasta + "/" + n + " ") != std::string::npos;
        })) << aviso;
    }
    // Comments and blank lines alone are a file, not garbage.
    testing::write_file(ini, "; nada ainda\n\n");
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", ""), "");
    EXPECT_EQ(postos_de_lado().size(), 2u);
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
    for (const auto& [seccao, chave] :
         std::vector<std::pair<std::string, std::string>>{{"obras]\n[Projectos", "path"},
                                                          {"linha\nquebrada", "path"},
                                                          {"obras", "a=b"},
                                                          {"obras", "[x"},
                                                          {"obras", " k"},
                                                          {"obras", ";k"}}) {
        EXPECT_THROW(store.save("ZOLVA", seccao, chave, "v"), FileError) << seccao << chave;
    }
    // Bytes that are not UTF-8 would read back as another text.
    EXPECT_THROW(store.save("ZOLVA", "obras", "descr",
                            "ab\xFF"
                            "c"),
                 FileError);
    EXPECT_THROW(store.save("ZOLVA", "obras\xC3", "descr", "v"), FileError);
    EXPECT_EQ(store.get("ZOLVA", "Projectos", "Nomes", ""), "a");
    EXPECT_EQ(testing::read_file(store.file_of("ZOLVA")), antes);
    // What a line can hold reads back unchanged.
    store.save("ZOLVA", "a[b c", "k", "v");
    EXPECT_EQ(store.get("ZOLVA", "a[b c", "k", ""), "v");
}

}  // namespace
}  // namespace pezolva
