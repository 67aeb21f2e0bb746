// "pezolva import": the public sample Jet files brought over and accepted
// by the other subcommands; each refusal one line, exit 1, nothing written.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cstdlib>

#include "apps/launcher_fixture.h"

namespace pezolva {
namespace {
namespace fs = std::filesystem;

std::string amostras() {
    const char* env = std::getenv("PEZOLVA_JET_SAMPLES");
    return env && *env ? env : PEZOLVA_JET_SAMPLES;
}

class LauncherImportTest : public LauncherTest {
  protected:
    static QString q(const std::string& s) { return QString::fromStdString(s); }
    // Exit 1, one line naming the cause, and the target's folder as it was.
    void recusa(const QStringList& args, const std::string& causa) {
        const auto antes = conteudo();
        const std::string projectos = corre({"projects"}).out;
        const auto r =
            corre(QStringList{"import"} + args + QStringList{"--project", "importado"}, "");
        EXPECT_EQ(r.saida, 1) << r.err;
        EXPECT_NE(r.err.find(causa), std::string::npos) << r.err;
        // One line of ours (libmdb may have said what it could not read before it).
        EXPECT_EQ(r.err.find("pezolva: "), r.err.rfind("pezolva: ")) << r.err;
        EXPECT_EQ(r.err.find('\n', r.err.find("pezolva: ")), r.err.size() - 1) << r.err;
        EXPECT_EQ(conteudo(), antes);
        EXPECT_EQ(corre({"projects"}).out, projectos);
    }
    std::vector<std::string> conteudo() {
        std::vector<std::string> nomes;
        for (const auto& e : fs::directory_iterator(alvos()))
            nomes.push_back(e.path().filename().string());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    std::string alvos() {
        fs::create_directories(dir.file("alvos"));
        return dir.file("alvos");
    }
    // Names in the targets' folder that a run of the import makes for itself.
    std::vector<std::string> temporarios() {
        std::vector<std::string> nomes;
        for (const std::string& n : conteudo()) {
            if (n.find(".importacao-") != std::string::npos) nomes.push_back(n);
        }
        return nomes;
    }
    std::string origem() {
        fs::create_directories(dir.file("origem"));
        return dir.file("origem");
    }
};

TEST_F(LauncherImportTest, TheSamplesBecomeProjectsThatVerifyAndBackupAccept) {
    if (!fs::exists(amostras() + "/northwind-jet3.mdb"))
        GTEST_SKIP() << "Sem as amostras Jet em " << amostras();
    const std::string destino = alvos() + "/nw";
    const auto r = corre({"import", q(amostras()), q(destino), "--project", "nw", "--main",
                          "NORTHWIND-jet3.MDB", "--json"},
                         "");
    ASSERT_EQ(r.saida, 0) << r.err << r.out;
    QJsonParseError erro;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &erro).object();
    ASSERT_EQ(erro.error, QJsonParseError::NoError) << r.out;
    EXPECT_TRUE(o["sucesso"].toBool());
    const QJsonObject principal = o["ficheiros"].toArray()[0].toObject();
    EXPECT_EQ(principal["nome"].toString(), "northwind-jet3.mdb");
    EXPECT_EQ(principal["tabelas"].toInt(), 9);
    EXPECT_EQ(principal["relacoes"].toInt(), 7);
    EXPECT_TRUE(fs::exists(destino + "/northwind-jet3.ebd"));
    EXPECT_FALSE(fs::exists(destino + "/dates-jet4.mdb"));  // not named by the register

    EXPECT_NE(corre({"projects"}).out.find("nw\t\t" + destino), std::string::npos);
    EXPECT_EQ(corre({"verify", "--project", "nw"}, "").saida, 0);
    const auto copia = corre({"backup", "--project", "nw", "--all"}, "");
    EXPECT_EQ(copia.saida, 0) << copia.out << copia.err;
    EXPECT_FALSE(fs::is_empty(destino + "/copiaseg"));
}

TEST_F(LauncherImportTest, RefusalsSayWhyAndLeaveNothing) {
    testing::write_file(origem() + "/texto.mdb", std::string(4096, 'x'));
    recusa({q(origem()), q(alvos() + "/p"), "--main", "texto.mdb"}, "não é uma base de dados Jet");
    recusa({q(origem()), q(alvos() + "/p")}, "Nenhuma base de dados de");
    recusa({q(origem()), q(alvos() + "/p"), "--main", "outra.mdb"}, "outra.mdb não existe");
    if (!fs::exists(amostras() + "/northwind-jet3.mdb")) return;
    const std::string jet = testing::read_file(amostras() + "/northwind-jet3.mdb");
    testing::write_file(origem() + "/cortada.mdb", jet.substr(0, 2048));
    recusa({q(origem()), q(alvos() + "/p"), "--main", "cortada.mdb"},
           "cortada.mdb está danificado");
    testing::write_file(origem() + "/obras.mdb", jet);
    testing::write_file(origem() + "/OBRAS.ldb", "");
    recusa({q(origem()), q(alvos() + "/p"), "--main", "obras.mdb"},
           "obras.mdb está em uso: existe OBRAS.ldb");
    fs::remove(origem() + "/OBRAS.ldb");
    fs::create_directories(alvos() + "/existe");
    recusa({q(origem()), q(alvos() + "/existe"), "--main", "obras.mdb"}, "já existe");
}

// A signal mid-run (while the first database is being written) ends the
// run as that signal asks, after removing the temporary folder and its lock:
// no target, no project registered, one line.
TEST_F(LauncherImportTest, ASignalMidRunLeavesNoTargetAndEndsWithItsExitStatus) {
    if (!fs::exists(amostras() + "/northwind-jet3.mdb"))
        GTEST_SKIP() << "Sem as amostras Jet em " << amostras();
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0)
        GTEST_SKIP() << "no strace here";
    const std::string projectos = corre({"projects"}).out;
    for (const auto& [sinal, saida] :
         {std::pair{"SIGTERM", 143}, std::pair{"SIGINT", 130}, std::pair{"SIGHUP", 129}}) {
        SCOPED_TRACE(sinal);
        const QStringList strace =
            sob_strace("pwrite64", QString("pwrite64:signal=%1:when=5").arg(sinal));
        const auto r = corre({"import", q(amostras()), q(alvos() + "/nw"), "--project", "nw",
                              "--main", "northwind-jet3.mdb"},
                             "", "", false, strace);
        EXPECT_EQ(r.saida, saida) << r.out << r.err;
        EXPECT_NE(r.err.find(std::string("importação interrompida pelo sinal ") + sinal +
                             "; nada ficou no destino"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find("pezolva: "), r.err.rfind("pezolva: ")) << r.err;
        EXPECT_TRUE(conteudo().empty()) << "left behind: " << ::testing::PrintToString(conteudo());
        EXPECT_EQ(corre({"projects"}).out, projectos);
    }
}

// The next import removes what killed runs left beside its target (their
// folders and locks), and leaves a folder whose lock a live run holds, or
// which has no lock to ask, naming it.
TEST_F(LauncherImportTest, LeftoversOfDeadRunsGoWhileALiveRunsFolderStays) {
    const std::string morta = alvos() + "/.velho.importacao-0123456789abcdef";
    const std::string viva = alvos() + "/.vivo.importacao-fedcba9876543210";
    const std::string sem_bloqueio = alvos() + "/.antigo.importacao-00000000000000aa";
    for (const std::string& p : {morta, viva, sem_bloqueio}) {
        fs::create_directories(p + "/copiaseg");
        testing::write_file(p + "/obras.mdb", "meio escrito");
    }
    testing::write_file(alvos() + "/..velho.importacao-0123456789abcdef.lock", "");
    testing::write_file(alvos() + "/..orfao.importacao-1111111111111111.lock",
                        "");  // its folder already gone
    testing::write_file(alvos() + "/..vivo.importacao-fedcba9876543210.lock", "");
    fs::create_directories(alvos() + "/.velho.importacao-nao-e-de-uma-corrida");
    fs::create_directories(alvos() + "/velho.importacao-0123456789abcdef");

    const int vivo =
        ::open((alvos() + "/..vivo.importacao-fedcba9876543210.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(vivo, 0);
    ASSERT_EQ(::flock(vivo, LOCK_SH), 0);
    const auto r = corre({"import", q(origem()), q(alvos() + "/p"), "--project", "p"}, "");
    EXPECT_EQ(r.saida, 1)
        << r.err;  // the source has no main database: the leftovers went first all the same
    EXPECT_EQ(conteudo(),
              (std::vector<std::string>{
                  "..vivo.importacao-fedcba9876543210.lock", ".antigo.importacao-00000000000000aa",
                  ".velho.importacao-nao-e-de-uma-corrida", ".vivo.importacao-fedcba9876543210",
                  "velho.importacao-0123456789abcdef"}));
    EXPECT_TRUE(fs::exists(viva + "/obras.mdb"));
    EXPECT_NE(r.err.find(viva + " é de uma importação ainda em curso"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(sem_bloqueio + " não tem bloqueio"), std::string::npos) << r.err;

    // The live run ends without its own tidying (killed): the next run takes it.
    ::close(vivo);
    EXPECT_EQ(corre({"import", q(origem()), q(alvos() + "/p"), "--project", "p"}, "").saida, 1);
    EXPECT_FALSE(fs::exists(viva));
    EXPECT_FALSE(fs::exists(alvos() + "/..vivo.importacao-fedcba9876543210.lock"));
    EXPECT_TRUE(fs::exists(sem_bloqueio + "/obras.mdb"));
}

}  // namespace
}  // namespace pezolva
