// The compaction tool as a program: its options, its exit status, and what
// it leaves when it fails or is stopped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <QProcess>
#include <filesystem>

#include "engine/lock_file.h"
#include "support/databases.h"
#include "support/temp_dir.h"

namespace pezolva {
namespace {

struct Saida {
    int codigo;
    QProcess::ExitStatus estado;
    std::string erros;
};

class JetcompTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine::Database db =
            testing::make_database(origem(), "create table t (x text)", "segredo");
        db.Execute(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
            "insert into t select hex(randomblob(400)) from n");
        db.Close();
        ::chmod(origem().c_str(), 0640);
        antes = testing::read_file(origem());
    }
    std::string origem() const { return dir.file("base.mdb"); }
    std::string destino() const { return dir.file("nova.mdb"); }

    Saida corre(const QStringList& args, const std::string& entrada = "",
                const QStringList& antes_de = {}, const QStringList& ambiente = {}) {
        QProcess p;
        if (!ambiente.isEmpty()) p.setEnvironment(QProcess::systemEnvironment() + ambiente);
        if (antes_de.isEmpty()) {
            p.start(JETCOMP, args);
        } else {
            p.start(antes_de.front(), antes_de.mid(1) + QStringList{JETCOMP} + args);
        }
        p.write(entrada.data(), static_cast<qint64>(entrada.size()));
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.exitStatus(), p.readAllStandardError().toStdString()};
    }
    QStringList normal() const {
        return {QString::fromStdString("-src:" + origem()),
                QString::fromStdString("-dest:" + destino()), "-w-", "-v3"};
    }
    // Nothing but the source (and its lock companion) in the folder, unchanged.
    void so_a_origem() {
        std::vector<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            nomes.push_back(e.path().filename());
        std::sort(nomes.begin(), nomes.end());
        EXPECT_EQ(nomes, (std::vector<std::string>{".base.mdb.lock", "base.mdb"}));
        EXPECT_EQ(testing::read_file(origem()), antes);
    }

    testing::TempDir dir;
    std::string antes;
};

TEST_F(JetcompTest, WritesACompleteCopyWithThePasswordFromItsInputAndTheSourcesMode) {
    const Saida s = corre(normal(), "segredo\n");
    ASSERT_EQ(s.codigo, 0) << s.erros;
    EXPECT_EQ(testing::read_file(origem()), antes);
    engine::Database copia = engine::OpenDatabase(destino(), false, true, ";pwd=segredo");
    EXPECT_EQ(copia.OpenRecordset("select count(*) from t").Fields(std::size_t{0}).to_integer(),
              3000);
    struct stat st {};
    ::stat(destino().c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(dir.file(".nova.mdb.parcial")));
}

TEST_F(JetcompTest, WrongUseExitsTwoAndFailuresOneLeavingNothing) {
    EXPECT_EQ(corre({"-src:" + QString::fromStdString(origem())}).codigo, 2);
    EXPECT_EQ(corre(normal() << "-x").codigo, 2);
    const Saida errada = corre(normal(), "errada\n");
    EXPECT_EQ(errada.codigo, 1);
    EXPECT_NE(errada.erros.find("jetcomp: 3031"), std::string::npos) << errada.erros;
    so_a_origem();

    testing::write_file(destino(), "existe");
    EXPECT_EQ(corre(normal(), "segredo\n").codigo, 1);
    EXPECT_EQ(testing::read_file(destino()), "existe");
}

TEST_F(JetcompTest, APartialFileOfAKilledRunIsReplacedAndAStopRequestLeavesNothing) {
    testing::write_file(dir.file(".nova.mdb.parcial"), "de uma execução morta");
    EXPECT_EQ(corre(normal(), "segredo\n").codigo, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file(".nova.mdb.parcial")));
    std::filesystem::remove(destino());

    // SIGTERM in the middle of the writes.
    const Saida s = corre(normal(), "segredo\n",
                          {"strace", "-f", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                           "inject=pwrite64:signal=SIGTERM:when=20"});
    EXPECT_TRUE(s.estado == QProcess::CrashExit || s.codigo == 128 + SIGTERM)
        << s.codigo << s.erros;
    so_a_origem();
}

TEST_F(JetcompTest, AnInheritedLockIsUsedOnlyWhenItIsTheSourcesExclusiveOne) {
    const std::string companheiro = engine::companion_path(origem());
    testing::write_file(companheiro, "");
    const int fd = ::open(companheiro.c_str(), O_RDWR);
    const QStringList herdado = {"JETCOMP_LOCK_FD=" + QString::number(fd)};

    // A shared lock: others may be reading; refused, and the lock stays ours.
    ASSERT_EQ(::flock(fd, LOCK_SH), 0);
    const Saida recusada = corre(normal(), "segredo\n", {}, herdado);
    EXPECT_EQ(recusada.codigo, 1) << recusada.erros;
    EXPECT_NE(recusada.erros.find("jetcomp: 3045"), std::string::npos) << recusada.erros;
    EXPECT_TRUE(engine::InUse(origem()));

    // The exclusive lock, as the component passes it: the tool reads under it.
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const Saida aceite = corre(normal(), "segredo\n", {}, herdado);
    EXPECT_EQ(aceite.codigo, 0) << aceite.erros;
    EXPECT_TRUE(engine::InUse(origem()));
    ::close(fd);
}

TEST_F(JetcompTest, TheCopyIsSyncedBeforeItIsNamedUnlessTheCallerTakesThatOn) {
    // Every sync of the copy under construction fails.
    const QStringList disco_falha = {"strace",
                                     "-f",
                                     "-qq",
                                     "-o",
                                     "/dev/null",
                                     "-P",
                                     QString::fromStdString(dir.file(".nova.mdb.parcial")),
                                     "-e",
                                     "trace=fsync,fdatasync",
                                     "-e",
                                     "inject=fsync,fdatasync:error=EIO"};
    const Saida sincroniza = corre(normal(), "segredo\n", disco_falha);
    EXPECT_EQ(sincroniza.codigo, 1) << sincroniza.erros;
    so_a_origem();

    const Saida deixa = corre(normal(), "segredo\n", disco_falha, {"JETCOMP_NO_SYNC=1"});
    EXPECT_EQ(deixa.codigo, 0) << deixa.erros;
    EXPECT_TRUE(std::filesystem::exists(destino()));
}

}  // namespace
}  // namespace pezolva
