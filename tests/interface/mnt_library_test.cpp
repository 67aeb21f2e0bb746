// The component as a host loads it: through the public header and the
// shared library, with the machine's own services.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "anfitriao.h"
#include "pezolva/mnt.h"
#include "support/temp_dir.h"

namespace {

TEST(MntLibrary, ActualizaPathRecordsTheProjectInTheUsersSettings) {
    pezolva::testing::TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    // A main database made by another SQLite program, without a password:
    // its register is created empty, so nothing is shown to the user.
    std::filesystem::create_directories(dir.file("obras"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.file("obras/quesim.mdb").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "create table clientes (id integer primary key)", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    pezolva::mnt m;
    std::string caminho = dir.file("obras") + "/", projecto = "obras", nome_bd = "quesim.mdb",
                descr = "Obras", passwd = "segredo";
    bool vem_de_pezolva = true;
    EXPECT_TRUE(m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva));

    std::ifstream in(dir.file("config/pelvor/ZOLVA.ini"));
    std::stringstream ini;
    ini << in.rdbuf();
    EXPECT_NE(ini.str().find("path=" + dir.file("obras") + "/\n"), std::string::npos) << ini.str();
    EXPECT_EQ(ini.str().find("segredo"), std::string::npos);

    std::string nome, d, c, bd;
    bool ha_mais = false;
    EXPECT_TRUE(m.selecciona_projectos(nome, d, c, bd, ha_mais));
    EXPECT_EQ(nome, "obras");
    EXPECT_TRUE(ha_mais);
}

// A host without a QApplication, in a process of its own, and what it
// prints: the standard output, or the signal that ended it.

// Every call a host without windows cannot make gives it an error to catch,
// never an abort of the whole host.
TEST(MntLibrary, WithoutAQApplicationTheChoiceOfSeveralProjectsIsAnError) {
    pezolva::testing::TempDir dir;
    std::filesystem::create_directories(dir.file("config/pelvor"));
    pezolva::testing::write_file(dir.file("config/pelvor/ZOLVA.ini"),
                                 "[Projectos]\nNomes=obras;brasol\n");
    const std::string r = corre_anfitriao(dir, "selecciona", false);
    EXPECT_EQ(r.rfind("erro 3001: As janelas do componente precisam de uma QApplication", 0), 0u)
        << r;
}

TEST(MntLibrary, OperationsBeforeAnyProjectIsCurrentSayOneClearThing) {
    pezolva::testing::TempDir dir;
    const std::string r = corre_anfitriao(dir, "sem-projecto", false);
    const std::string linha =
        "erro 3001: Não há um projecto actual: o programa anfitrião tem de chamar actualiza_path "
        "antes desta operação.\n";
    EXPECT_EQ(r, linha + linha + linha + linha);
}

}  // namespace
