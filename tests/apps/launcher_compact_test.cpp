// The launcher's compaction and re-install, run as a process.
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <regex>
#include <thread>

#include "launcher_fixture.h"

namespace pezolva {
namespace {

class LauncherCompactTest : public LauncherBackupTest {
  protected:
    void SetUp() override {
        LauncherBackupTest::SetUp();
        ASSERT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"},
                        "kqa730418")
                      .saida,
                  0);
    }
    // The dated files the compactions left in the project folder.
    std::vector<std::string> antigas() {
        const std::regex datada(".*[0-9]{12}\\.mdb");
        std::vector<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta())) {
            const std::string n = e.path().filename().string();
            if (std::regex_match(n, datada)) nomes.push_back(n);
        }
        return nomes;
    }
    // Every name in the project folder, hidden ones included.
    std::vector<std::string> nomes() {
        std::vector<std::string> n;
        for (const auto& e : std::filesystem::directory_iterator(pasta()))
            n.push_back(e.path().filename());
        std::sort(n.begin(), n.end());
        return n;
    }
};

TEST_F(LauncherCompactTest, CompactsEveryDatabaseWithALineEachAndFailsWhenOneFails) {
    // log.mdb is open in this process: it is not compacted, the others are.
    engine::Database aberta = engine::OpenDatabase(pasta() + "/log.mdb", false, true,
                                                   std::string(";pwd=") + testproject::kPasseLog);
    const auto r = corre({"compact", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(r.saida, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("A compactar brasol.mdb... compactada; a base antiga ficou em brasol20"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("A compactar brasol_fotos.mdb... compactada"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("A compactar log.mdb... não foi compactada: está bloqueada\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("A base de dados log.mdb está bloqueada. Por favor, saia do obras em "
                         "todos os postos de "
                         "trabalho.\n\nO ficheiro '" +
                         pasta() + "/log.mdb' está em uso por outro utilizador.\n"),
              std::string::npos)
        << r.err;
    ASSERT_EQ(antigas().size(), 2u);
    aberta.Close();

    const auto so_log = corre({"compact", "--project", "obras", "log.mdb"}, "kqa730418");
    EXPECT_EQ(so_log.saida, 0) << so_log.out << so_log.err;
    EXPECT_EQ(antigas().size(), 3u);
    EXPECT_EQ(corre({"compact", "--project", "obras", "nenhuma.mdb"}, "kqa730418").saida, 1);
    EXPECT_EQ(corre({"compact", "--project", "obras", "a.mdb", "b.mdb"}, "kqa730418").saida, 2);
}

TEST_F(LauncherCompactTest, ReinstallRunsTheSetupProgramAndWaitsForIt) {
    const auto sem = corre({"reinstall", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(sem.saida, 1);
    EXPECT_NE(sem.err.find("Não foi possível executar o ficheiro setup."), std::string::npos)
        << sem.err;

    std::filesystem::create_directories(pasta() + "/setupposto");
    testing::write_file(pasta() + "/setupposto/setup", "#!/bin/sh\nsleep 1; touch instalado\n");
    ::chmod((pasta() + "/setupposto/setup").c_str(), 0755);
    const auto r = corre({"reinstall", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(pasta() + "/setupposto/instalado"));
}

// The password reaches the compaction tool on its standard input only:
// neither its arguments nor its environment carry it, nor the set-up
// program's, though the launcher was given it in its own environment.
TEST_F(LauncherCompactTest, NoChildHasThePasswordInItsArgumentsOrEnvironment) {
    const auto espiao = [&](const std::string& programa, const std::string& relato) {
        testing::write_file(programa, "#!/bin/sh\n{ echo \"$@\"; cat /proc/$$/environ; } > '" +
                                          relato + "'\nexit 1\n");
        ::chmod(programa.c_str(), 0755);
    };
    espiao(pasta() + "/jetcomp", pasta() + "/visto-jetcomp");
    std::filesystem::create_directories(pasta() + "/setupposto");
    espiao(pasta() + "/setupposto/setup", pasta() + "/visto-setup");
    corre({"compact", "--project", "obras", "brasol.mdb"}, "kqa730418");
    corre({"reinstall", "--project", "obras"}, "kqa730418");
    for (const std::string relato : {"/visto-jetcomp", "/visto-setup"}) {
        ASSERT_TRUE(std::filesystem::exists(pasta() + relato)) << relato << " did not run";
        const std::string visto = testing::read_file(pasta() + relato);
        EXPECT_EQ(visto.find("kqa730418"), std::string::npos) << relato << ": " << visto;
        EXPECT_EQ(visto.find("PEZOLVA_PASSWORD"), std::string::npos) << relato;
    }
}

// SIGTERM while the tool runs: the tool is stopped, what it wrote removed,
// nothing else compacted, and the launcher ends as the signal asks.
TEST_F(LauncherCompactTest, ASignalStopsTheToolAndLeavesTheFolderAsItWas) {
    testing::write_file(pasta() + "/jetcomp",
                        "#!/bin/sh\ncp \"${1#-src:}\" \"${2#-dest:}\"\nexec sleep 60\n");
    ::chmod((pasta() + "/jetcomp").c_str(), 0755);
    const std::string antes = testing::read_file(pasta() + "/brasol.mdb");
    const std::vector<std::string> ficheiros = nomes();

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
    env.insert("PEZOLVA_PASSWORD", "kqa730418");
    p.setProcessEnvironment(env);
    p.start(PEZOLVA_LAUNCHER, {"compact", "--project", "obras"});
    ASSERT_TRUE(p.waitForReadyRead(30000));  // "A compactar brasol.mdb... "
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 128 + SIGTERM);
    const std::string saida = p.readAllStandardOutput().toStdString();
    EXPECT_NE(saida.find("brasol.mdb... não foi compactada: a compactação foi interrompida"),
              std::string::npos)
        << saida;
    EXPECT_EQ(saida.find("brasol_fotos"), std::string::npos) << saida;
    EXPECT_EQ(testing::read_file(pasta() + "/brasol.mdb"), antes);
    EXPECT_EQ(nomes(), ficheiros);
}

// The tool leaves the syncing of its copy to the launcher, which does it
// while it checks the copy: a copy the disk refuses is never swapped in.
TEST_F(LauncherCompactTest, ACopyTheDiskCannotKeepIsNotSwappedIn) {
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0) {
        GTEST_SKIP() << "strace cannot trace here";
    }
    // The copy's name carries the second the compaction starts: every
    // second of the next minute is watched, and only syncs of that file fail.
    QStringList strace = {"strace",
                          "-f",
                          "-qq",
                          "-o",
                          "/dev/null",
                          "-e",
                          "trace=fsync,fdatasync",
                          "-e",
                          "inject=fsync,fdatasync:error=EIO"};
    const auto agora = std::chrono::system_clock::now();
    for (int s = 0; s < 60; ++s) {
        const std::time_t t = std::chrono::system_clock::to_time_t(agora + std::chrono::seconds(s));
        char momento[32];
        std::strftime(momento, sizeof momento, "%d%m%Y%H%M%S", std::localtime(&t));
        strace << "-P" << q(pasta() + "/brasol.mdb" + momento);
    }
    const std::string antes = testing::read_file(pasta() + "/brasol.mdb");
    const std::vector<std::string> ficheiros = nomes();

    const auto r =
        corre({"compact", "--project", "obras", "brasol.mdb"}, "kqa730418", "", false, strace);

    EXPECT_EQ(r.saida, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("brasol.mdb... não foi compactada: Erro de disco"), std::string::npos)
        << r.out;
    EXPECT_EQ(testing::read_file(pasta() + "/brasol.mdb"), antes);
    EXPECT_EQ(nomes(), ficheiros);
}

}  // namespace
}  // namespace pezolva
