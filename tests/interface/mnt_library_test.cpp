// The component as a host loads it: through the public header and the
// shared library, with the machine's own services.
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

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

}  // namespace
