#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/file_system.h"
#include "common/settings_store.h"
#include "support/temp_dir.h"

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
    Resultado corre(const QStringList& args, const char* password = nullptr,
                    const std::string& input = "") {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
        env.insert("XDG_DATA_HOME", QString::fromStdString(dir.file("data")));
        env.remove("PEZOLVA_PASSWORD");
        if (password != nullptr) env.insert("PEZOLVA_PASSWORD", password);
        p.setProcessEnvironment(env);
        // A session of its own: no controlling terminal to ask a password on.
        p.setChildProcessModifier([] { ::setsid(); });
        p.start(PEZOLVA_LAUNCHER, args);
        p.write(input.data(), static_cast<qint64>(input.size()));
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
    std::string ini() { return testing::read_file(dir.file("config/pelvor/ZOLVA.ini")); }

    testing::TempDir dir;
};

TEST_F(LauncherTest, StartRegistersTheProjectAndKeepsThePasswordOut) {
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

}  // namespace
}  // namespace pezolva
