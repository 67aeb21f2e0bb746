#include <filesystem>

#include "engine/lock_file.h"
#include "engine_fixture.h"
#include "support/sem_privilegios.h"

namespace pezolva::engine::testing {
namespace {

using pezolva::testing::read_file;
using pezolva::testing::write_file;
namespace fs = std::filesystem;

class OpenTest : public EngineTest {};

TEST_F(OpenTest, EachFailureHasItsNumber) {
    const std::string missing = path("nao_existe.mdb");
    EXPECT_EQ(error_number([&] { OpenDatabase(missing); }), ErroFicheiroInexistente);
    EXPECT_FALSE(fs::exists(missing)) << "opening must never create a database";

    write_file(path("texto.mdb"), std::string(4096, 'x'));
    EXPECT_EQ(error_number([&] { OpenDatabase(path("texto.mdb")); }), ErroNaoBaseDados);
    write_file(path("vazio.mdb"), "");
    EXPECT_EQ(error_number([&] { OpenDatabase(path("vazio.mdb")); }), ErroNaoBaseDados);
    EXPECT_EQ(fs::file_size(path("vazio.mdb")), 0u);
    EXPECT_EQ(error_number([&] { OpenDatabase(dir_.str()); }), ErroNaoBaseDados);

    make("chave.mdb", "", "kqa730418").Close();
    EXPECT_EQ(error_number([&] { OpenDatabase(path("chave.mdb"), false, false, ";pwd=errada"); }),
              ErroPalavraPasse);
    EXPECT_EQ(error_number([&] { OpenDatabase(path("chave.mdb"), false, false, ";pwd="); }),
              ErroPalavraPasse);
    EXPECT_EQ(error_number([&] { OpenDatabase(path("chave.mdb"), false, false, ""); }),
              ErroPalavraPasse);
}

TEST_F(OpenTest, MessagesNameTheFileAndNeverThePassword) {
    try {
        OpenDatabase(path("falta.mdb"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.descricao(),
                  "Não foi possível encontrar o ficheiro '" + path("falta.mdb") + "'.");
    }
    make("chave.mdb", "", "segredo1").Close();
    try {
        OpenDatabase(path("chave.mdb"), false, false, ";pwd=segredo2");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.descricao(), "Palavra-passe inválida.");
    }
}

TEST_F(OpenTest, PasswordsOpenAsTheOriginalDid) {
    make("chave.mdb", "", "kqa730418").Close();
    EXPECT_NO_THROW(OpenDatabase(path("chave.mdb"), false, false, ";PWD=kqa730418").Close());
    make("livre.mdb").Close();
    EXPECT_NO_THROW(OpenDatabase(path("livre.mdb"), false, false, "").Close());
    // A password given for a file that has none is accepted.
    EXPECT_NO_THROW(OpenDatabase(path("livre.mdb"), false, false, ";pwd=qualquer").Close());
}

TEST_F(OpenTest, PasswordIsKeptAsASaltedDigestAndCanChange) {
    Database db = make("chave.mdb", "", "kqa730418");
    EXPECT_TRUE(db.TableDefs().Contains("MSysAcesso"));
    EXPECT_EQ(error_number([&] { db.NewPassword("errada", "nova"); }), ErroPalavraPasse);
    db.NewPassword("kqa730418", "nova-chave");
    db.Close();
    EXPECT_EQ(read_file(path("chave.mdb")).find("nova-chave"), std::string::npos);
    EXPECT_EQ(
        error_number([&] { OpenDatabase(path("chave.mdb"), false, false, ";pwd=kqa730418"); }),
        ErroPalavraPasse);
    db = OpenDatabase(path("chave.mdb"), false, false, ";pwd=nova-chave");
    SetPassword(db, "nova-chave", "");
    db.Close();
    EXPECT_NO_THROW(OpenDatabase(path("chave.mdb"), false, false, "").Close());
}

// Opening a file again skips the slow derivation once a password has opened
// it: only that password, and only while the file keeps that digest.
TEST_F(OpenTest, APasswordOnceAcceptedOpensNothingElse) {
    make("chave.mdb", "", "kqa730418").Close();
    fs::copy_file(path("chave.mdb"), path("copia.mdb"));
    for (int vez = 0; vez < 2; ++vez) {
        EXPECT_NO_THROW(OpenDatabase(path("chave.mdb"), false, true, ";pwd=kqa730418").Close());
        EXPECT_NO_THROW(OpenDatabase(path("copia.mdb"), false, true, ";pwd=kqa730418").Close());
        for (const char* errada : {"kqa73041", "kqa730418 ", "KQA730418", ""}) {
            EXPECT_EQ(error_number([&] {
                          OpenDatabase(path("copia.mdb"), false, true,
                                       std::string(";pwd=") + errada);
                      }),
                      ErroPalavraPasse)
                << errada;
        }
    }
    Database db = OpenDatabase(path("copia.mdb"), false, false, ";pwd=kqa730418");
    db.NewPassword("kqa730418", "outra");
    db.Close();
    EXPECT_EQ(error_number([&] { OpenDatabase(path("copia.mdb"), false, true, ";pwd=kqa730418"); }),
              ErroPalavraPasse);
    EXPECT_NO_THROW(OpenDatabase(path("chave.mdb"), false, true, ";pwd=kqa730418").Close());
}

// Permissions are tried as an ordinary user: root writes any file and any
// folder.
TEST_F(OpenTest, ReadWriteOpenOfAFileThatCannotBeWrittenFails) {
    make("so_leitura.mdb").Close();
    fs::permissions(path("so_leitura.mdb"), fs::perms::owner_write, fs::perm_options::remove);
    pezolva::testing::entrega_ao_utilizador_comum(dir_.path());
    const int resultado = pezolva::testing::como_utilizador_comum([&] {
        if (error_number([&] { OpenDatabase(path("so_leitura.mdb")); }) != ErroAbrirFicheiro)
            return 1;
        return error_number([&] { OpenDatabase(path("so_leitura.mdb"), false, true).Close(); }) == 0
                   ? 0
                   : 2;
    });
    EXPECT_EQ(resultado, 0);
}

TEST_F(OpenTest, AFolderWhereNoCompanionCanBeMadeStillOpens) {
    fs::create_directories(dir_.path() / "ro");
    const std::string db_path = (dir_.path() / "ro" / "d.mdb").string();
    CreateDatabase(db_path).Close();
    fs::remove(companion_path(db_path));
    fs::permissions(dir_.path() / "ro", fs::perms::owner_write, fs::perm_options::remove);
    pezolva::testing::entrega_ao_utilizador_comum(dir_.path());
    const int resultado = pezolva::testing::como_utilizador_comum([&] {
        Database db = OpenDatabase(db_path, false, true);
        if (!db.TableDefs().empty()) return 1;
        return fs::exists(companion_path(db_path)) ? 2 : 0;
    });
    EXPECT_EQ(resultado, 0);
}

TEST_F(OpenTest, ForeignKeysAreEnforced) {
    Database db = make(
        "fk.mdb",
        "CREATE TABLE p (id INTEGER PRIMARY KEY); CREATE TABLE c (p INTEGER REFERENCES p (id));");
    db.Close();
    db = OpenDatabase(path("fk.mdb"));
    EXPECT_EQ(error_number([&] { db.Execute("INSERT INTO c VALUES (7)"); }), ErroIntegridade);
}

TEST_F(OpenTest, AnotherProcessHoldingTheDatabase) {
    make("partilhada.mdb", "", "pw").Close();
    const std::string db_path = path("partilhada.mdb");
    {
        Holder holder(db_path, "shared", "pw");
        ASSERT_EQ(holder.status(), "ready");
        EXPECT_TRUE(InUse(db_path));
        EXPECT_EQ(error_number([&] { ExclusiveLock lock(db_path); }), ErroEmUso);
        EXPECT_EQ(error_number([&] { OpenDatabase(db_path, true, false, ";pwd=pw"); }), ErroEmUso);
        EXPECT_NO_THROW(OpenDatabase(db_path, false, false, ";pwd=pw").Close());
    }
    EXPECT_FALSE(InUse(db_path));
    {
        Holder holder(db_path, "exclusive", "pw");
        ASSERT_EQ(holder.status(), "ready");
        try {
            OpenDatabase(db_path, false, false, ";pwd=pw");
            FAIL();
        } catch (const EngineError& e) {
            EXPECT_EQ(e.numero(), ErroEmUso);
            EXPECT_EQ(e.descricao(),
                      "O ficheiro '" + db_path + "' está em uso por outro utilizador.");
        }
    }
    EXPECT_NO_THROW(ExclusiveLock lock(db_path));
    EXPECT_TRUE(fs::exists(companion_path(db_path))) << "the companion stays beside its database";
}

TEST_F(OpenTest, AnOpenDatabaseInThisProcessCountsAsInUse) {
    Database db = make("local.mdb");
    EXPECT_TRUE(InUse(path("local.mdb")));
    EXPECT_EQ(error_number([&] { ExclusiveLock lock(path("local.mdb")); }), ErroEmUso);
    Database copy = db;  // copies share one connection
    copy.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(InUse(path("local.mdb")));
    {
        ExclusiveLock lock(path("local.mdb"));
        EXPECT_EQ(error_number([&] { OpenDatabase(path("local.mdb")); }), ErroEmUso);
    }
    EXPECT_FALSE(InUse(path("nunca_aberta.mdb")));
    EXPECT_EQ(error_number([&] { db.TableDefs(); }), ErroObjectoFechado);
}

TEST_F(OpenTest, WorkspaceOpensLikeTheEngine) {
    make("ws.mdb", "CREATE TABLE t (a)", "x").Close();
    Workspace ws = CreateWorkspace("", "admin", "");
    Database db = ws.OpenDatabase(path("ws.mdb"), false, false, ";pwd=x");
    EXPECT_TRUE(db.TableDefs().Contains("t"));
    EXPECT_EQ(error_number([&] { ws.OpenDatabase(path("ws.mdb"), false, false, ";pwd=y"); }),
              ErroPalavraPasse);
}

TEST_F(OpenTest, PathsWithApostrophes) {
    fs::create_directories(dir_.path() / "o'brien");
    const std::string db_path = (dir_.path() / "o'brien" / "d'b \"x\" %20?.mdb").string();
    CreateDatabase(db_path, "pw").Close();
    Database db = OpenDatabase(db_path, false, false, ";pwd=pw");
    EXPECT_EQ(db.path(), db_path);
    db.Execute("CREATE TABLE t (a)");
    db.Close();
    EXPECT_TRUE(fs::exists(db_path));
    EXPECT_EQ(
        std::distance(fs::directory_iterator(dir_.path() / "o'brien"), fs::directory_iterator()), 2)
        << "the database and its companion lock, nothing else";
    EXPECT_EQ(error_number([&] { CreateDatabase(db_path); }), ErroBaseExiste);
}

// A connect text cannot carry a ";" in its password: such a password is
// refused before any file has it, so no file exists that nobody can open.
TEST_F(OpenTest, APasswordNoConnectTextCanCarryIsRefused) {
    EXPECT_EQ(error_number([&] { CreateDatabase(path("pv.mdb"), "a;b"); }), ErroArgumento);
    EXPECT_FALSE(fs::exists(path("pv.mdb")));
    Database db = make("chave.mdb", "", "antiga");
    EXPECT_EQ(error_number([&] { db.NewPassword("antiga", ";pwd=x"); }), ErroArgumento);
    db.Close();
    EXPECT_NO_THROW(OpenDatabase(path("chave.mdb"), false, false, ";pwd=antiga").Close());
    // Everything else a password may hold goes through the connect text.
    for (const char* password : {"a=b", " com espaços ", "pwd=", "çãõ"}) {
        const std::string nome = "p" + std::to_string(std::string(password).size()) + ".mdb";
        CreateDatabase(path(nome), password).Close();
        EXPECT_NO_THROW(
            OpenDatabase(path(nome), false, false, std::string(";pwd=") + password).Close())
            << password;
    }
}

}  // namespace
}  // namespace pezolva::engine::testing
