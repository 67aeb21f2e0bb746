#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "common/file_system.h"
#include "common/settings_store.h"
#include "engine/database.h"
#include "support/sem_privilegios.h"
#include "support/temp_dir.h"
#include "testproject/projecto.h"

namespace pezolva {
namespace {

struct Resultado {
    int saida;
    std::string out;
    std::string err;
};

// Runs the launcher with its settings and data in a folder of the test's own.
class LauncherTest : public ::testing::Test {
protected:
    // `comum`: as an unprivileged user when the tests run as root.
    Resultado corre(const QStringList& args, const char* password = nullptr,
                    const std::string& input = "", bool comum = false) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
        env.insert("XDG_DATA_HOME", QString::fromStdString(dir.file("data")));
        env.remove("PEZOLVA_PASSWORD");
        if (password != nullptr) env.insert("PEZOLVA_PASSWORD", password);
        p.setProcessEnvironment(env);
        // A session of its own: no controlling terminal to ask a password on.
        p.setChildProcessModifier([comum] {
            ::setsid();
            if (comum && !testing::abdica_privilegios()) ::_exit(99);
        });
        p.start(PEZOLVA_LAUNCHER, args);
        p.write(input.data(), static_cast<qint64>(input.size()));
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
    std::string ini() { return testing::read_file(dir.file("config/pelvor/ZOLVA.ini")); }
    // A main database, without a password, where a start expects one.
    void base_em(const std::string& pasta, const std::string& nome) {
        std::filesystem::create_directories(pasta);
        engine::CreateDatabase(pasta + "/" + nome).Close();
    }

    testing::TempDir dir;
};

TEST_F(LauncherTest, StartRegistersTheProjectAndKeepsThePasswordOut) {
    base_em(dir.file("p1"), "quesim.mdb");
    const auto r = corre({"start", QString::fromStdString(dir.file("p1")), "obras", "quesim.mdb",
                          "--descr", "Obras Públicas"},
                         "segredo-do-env");
    EXPECT_EQ(r.saida, 0) << r.err;
    const auto lista = corre({"projects"});
    EXPECT_EQ(lista.out, "obras\tObras Públicas\t" + dir.file("p1") + "\tquesim.mdb\n");
    const auto json = corre({"projects", "--json"});
    EXPECT_EQ(json.out, "[{\"nome\": \"obras\", \"descr\": \"Obras Públicas\", \"caminho\": \"" +
                            dir.file("p1") + "\", \"nome_bd\": \"quesim.mdb\"}]\n");
    EXPECT_EQ(ini().find("segredo"), std::string::npos);
}

TEST_F(LauncherTest, PasswordComesFromAFileNeverFromTheCommandLine) {
    base_em(dir.file("p"), "quesim.mdb");
    testing::write_file(dir.file("pw"), "do-ficheiro\n");
    const auto r = corre({"start", QString::fromStdString(dir.file("p")), "p", "quesim.mdb",
                          "--password-file", QString::fromStdString(dir.file("pw"))});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(corre({"start", "a", "b", "c", "--password", "x"}, "").saida, 2);
    // Nothing to read it from: no variable, no file, no terminal.
    const auto sem = corre({"start", QString::fromStdString(dir.file("p")), "p", "quesim.mdb"});
    EXPECT_EQ(sem.saida, 2);
    EXPECT_NE(sem.err.find("PEZOLVA_PASSWORD"), std::string::npos) << sem.err;
}

TEST_F(LauncherTest, WrongUsageExitsWithTwoAndHelpWithZero) {
    EXPECT_EQ(corre({"nao-existe"}).saida, 2);
    EXPECT_EQ(corre({"start", "so-um"}, "").saida, 2);
    EXPECT_EQ(corre({"projects", "--json", "a-mais"}).saida, 2);
    for (const char* sub : {"projects", "start", "demo"}) {
        const auto r = corre({sub, "--help"});
        EXPECT_EQ(r.saida, 0) << sub;
        EXPECT_NE(r.out.find("Uso: pezolva"), std::string::npos) << sub;
    }
}

TEST_F(LauncherTest, DemoCreatesTheFolderAndRegistersTheProject) {
    const auto r = corre({"demo", QString::fromStdString(dir.file("demo"))});
    EXPECT_EQ(r.saida, 0) << r.err;
    LocalFileSystem files;
    EXPECT_TRUE(files.is_directory(dir.file("demo")));
    EXPECT_NE(r.out.find("pezolva-demo"), std::string::npos) << r.out;
    EXPECT_EQ(corre({"projects"}).out.substr(0, 13), "pezolva-demo\t");
}

// A test project started once by the host, with a backup due.
class LauncherBackupTest : public LauncherTest {
protected:
    void SetUp() override {
        testproject::cria_projecto(pasta());
        LocalFileSystem files;
        create_directories(files, dir.file("config/pelvor"));
        // This workstation holds the main copy: it makes the backups.
        testing::write_file(dir.file("config/pelvor/obras.ini"), "[setup]\nORIGEM=PRINCIPAL\n");
    }
    std::string pasta() { return dir.file("obras"); }
    QString q(const std::string& s) { return QString::fromStdString(s); }
    // The bytes of the settings files and of the project's databases.
    std::map<std::string, std::string> instantaneo() {
        std::map<std::string, std::string> ficheiros;
        for (const std::string& pasta_lida : {dir.file("config/pelvor"), pasta()}) {
            for (const auto& e : std::filesystem::directory_iterator(pasta_lida)) {
                const std::string nome = e.path().filename().string();
                if (e.is_regular_file() && nome.front() != '.' &&
                    nome.find(".lock") == std::string::npos) {
                    ficheiros[e.path().string()] = testing::read_file(e.path().string());
                }
            }
        }
        return ficheiros;
    }
    std::vector<std::string> copias() {
        LocalFileSystem files;
        std::vector<std::string> nomes;
        for (const auto& n : files.list_files(pasta() + "/copiaseg")) {
            if (n.size() > 4 && n.substr(n.size() - 4) == ".mdb") nomes.push_back(n);
        }
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
};

TEST_F(LauncherBackupTest, StartWithoutAnAnswerOnlyShowsTheQuestion) {
    const auto r = corre({"start", q(pasta()), "obras", "brasol.mdb"}, "kqa730418");
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_NE(r.err.find("É aconselhável fazer cópias de segurança de alguns ficheiros."),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(copias().empty());
}

TEST_F(LauncherBackupTest, StartAnsweredFazerCopiesTheDueDatabases) {
    const auto r =
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "fazer"}, "kqa730418");
    EXPECT_EQ(r.saida, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("concluido"), std::string::npos) << r.out;
    // The default register has every database due on the first start.
    ASSERT_EQ(copias().size(), 3u);
    EXPECT_EQ(copias()[0].substr(0, 6), "brasol");
    // Copied now: the next start has nothing to ask.
    const auto depois = corre({"start", q(pasta()), "obras", "brasol.mdb"}, "kqa730418");
    EXPECT_EQ(depois.err.find("É aconselhável"), std::string::npos) << depois.err;
}

TEST_F(LauncherBackupTest, StartAnsweredNaoFazerOrWronglyChangesNothing) {
    EXPECT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"},
                    "kqa730418")
                  .saida,
              0);
    EXPECT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "sim"}, "kqa730418")
                  .saida,
              2);
    EXPECT_TRUE(copias().empty());
}

TEST_F(LauncherBackupTest, BackupOfNamedDatabasesAndItsErrors) {
    ASSERT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"},
                    "kqa730418")
                  .saida,
              0);
    const auto log = corre({"backup", "--project", "obras", "log.mdb"}, "kqa730418");
    EXPECT_EQ(log.saida, 0) << log.err << log.out;
    EXPECT_NE(log.out.find("log.mdb: acessos"), std::string::npos) << log.out;
    ASSERT_EQ(copias().size(), 1u);
    EXPECT_EQ(copias()[0].substr(0, 3), "log");

    const auto nenhuma = corre({"backup", "--project", "obras", "nao-registada.mdb"}, "kqa730418");
    EXPECT_EQ(nenhuma.saida, 1);
    EXPECT_NE(nenhuma.out.find("Erro interno. Não foi encontrado o registo de cópias de "
                               "segurança da base de dados nao-registada.mdb."),
              std::string::npos)
        << nenhuma.out;

    EXPECT_EQ(corre({"backup", "--project", "outro"}, "kqa730418").saida, 1);
    EXPECT_EQ(corre({"backup", "--all", "--due", "--project", "obras"}, "kqa730418").saida, 2);
}


// A start that cannot make the project usable fails: exit 1, one line that
// says why, and not one byte changed in the settings or the databases.
TEST_F(LauncherBackupTest, AStartThatLeavesNothingUsableExitsOneAndChangesNothing) {
    ASSERT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"},
                    "kqa730418")
                  .saida,
              0);
    ASSERT_EQ(corre({"start", q(dir.file("longe")), "longe", "brasol.mdb"}, "x").saida, 1);
    const auto uma_linha = [](const Resultado& r, const std::string& texto) {
        const std::string tudo = r.out + r.err;
        EXPECT_EQ(std::count(tudo.begin(), tudo.end(), '\n'), 1) << tudo;
        EXPECT_NE(tudo.find(texto), std::string::npos) << tudo;
    };
    const auto antes = instantaneo();

    const auto errada = corre({"start", q(pasta()), "obras", "brasol.mdb"}, "errada");
    EXPECT_EQ(errada.saida, 1);
    uma_linha(errada, "Palavra-passe inválida.");
    EXPECT_EQ(instantaneo(), antes);

    const auto pasta_em_falta = corre({"start", q(dir.file("longe")), "longe", "brasol.mdb"}, "x");
    EXPECT_EQ(pasta_em_falta.saida, 1);
    uma_linha(pasta_em_falta, "A base de dados " + dir.file("longe") + "/brasol.mdb não existe.");
    EXPECT_EQ(instantaneo(), antes);

    std::filesystem::rename(pasta() + "/brasol.mdb", dir.file("brasol.mdb.fora"));
    const auto base_em_falta = corre({"start", q(pasta()), "obras", "brasol.mdb"}, "kqa730418");
    EXPECT_EQ(base_em_falta.saida, 1);
    uma_linha(base_em_falta, "brasol.mdb não existe.");
    std::filesystem::rename(dir.file("brasol.mdb.fora"), pasta() + "/brasol.mdb");
    EXPECT_EQ(instantaneo(), antes);

    // Settings an ordinary user cannot read.
    const std::string zolva = dir.file("config/pelvor/ZOLVA.ini");
    testing::entrega_ao_utilizador_comum(dir.path());
    ::chmod(zolva.c_str(), 0);
    const auto ilegivel =
        corre({"start", q(pasta()), "novo", "brasol.mdb"}, "kqa730418", "", true);
    ::chmod(zolva.c_str(), 0600);
    EXPECT_EQ(ilegivel.saida, 1);
    uma_linha(ilegivel, "Não foi possível ler " + zolva);
    EXPECT_EQ(instantaneo(), antes);
}

}  // namespace
}  // namespace pezolva
