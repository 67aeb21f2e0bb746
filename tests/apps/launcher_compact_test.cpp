// The launcher's compaction and re-install, run as a process.
#include <sys/stat.h>

#include <regex>

#include "launcher_fixture.h"

namespace pezolva {
namespace {

class LauncherCompactTest : public LauncherBackupTest {
protected:
    void SetUp() override {
        LauncherBackupTest::SetUp();
        ASSERT_EQ(corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418").saida,
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
};

TEST_F(LauncherCompactTest, CompactsEveryDatabaseWithALineEachAndFailsWhenOneFails) {
    // log.mdb is open in this process: it is not compacted, the others are.
    engine::Database aberta = engine::OpenDatabase(pasta() + "/log.mdb", false, true,
                                                   std::string(";pwd=") + testproject::kPasseLog);
    const auto r = corre({"compact", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(r.saida, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("A compactar brasol.mdb... compactada; a base antiga ficou em brasol20"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("A compactar brasol_fotos.mdb... compactada"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("A compactar log.mdb... não foi compactada"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Não foi possível executar a reparação da base de dados log.mdb."), std::string::npos)
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
    EXPECT_NE(sem.err.find("Não foi possível executar o ficheiro setup."), std::string::npos) << sem.err;

    std::filesystem::create_directories(pasta() + "/setupposto");
    testing::write_file(pasta() + "/setupposto/setup", "#!/bin/sh\nsleep 1; touch instalado\n");
    ::chmod((pasta() + "/setupposto/setup").c_str(), 0755);
    const auto r = corre({"reinstall", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(pasta() + "/setupposto/instalado"));
}

}  // namespace
}  // namespace pezolva
