// "pezolva import": the public sample Jet files brought over and accepted
// by the other subcommands; each refusal one line, exit 1, nothing written.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
        const auto r = corre(QStringList{"import"} + args + QStringList{"--project", "importado"}, "");
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
        for (const auto& e : fs::directory_iterator(alvos())) nomes.push_back(e.path().filename().string());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    std::string alvos() {
        fs::create_directories(dir.file("alvos"));
        return dir.file("alvos");
    }
    std::string origem() {
        fs::create_directories(dir.file("origem"));
        return dir.file("origem");
    }
};

TEST_F(LauncherImportTest, TheSamplesBecomeProjectsThatVerifyAndBackupAccept) {
    if (!fs::exists(amostras() + "/northwind-jet3.mdb")) GTEST_SKIP() << "Sem as amostras Jet em " << amostras();
    const std::string destino = alvos() + "/nw";
    const auto r = corre({"import", q(amostras()), q(destino), "--project", "nw", "--main", "NORTHWIND-jet3.MDB", "--json"},
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
    recusa({q(origem()), q(alvos() + "/p"), "--main", "cortada.mdb"}, "cortada.mdb está danificado");
    testing::write_file(origem() + "/obras.mdb", jet);
    testing::write_file(origem() + "/OBRAS.ldb", "");
    recusa({q(origem()), q(alvos() + "/p"), "--main", "obras.mdb"}, "obras.mdb está em uso: existe OBRAS.ldb");
    fs::remove(origem() + "/OBRAS.ldb");
    fs::create_directories(alvos() + "/existe");
    recusa({q(origem()), q(alvos() + "/existe"), "--main", "obras.mdb"}, "já existe");
}

}  // namespace
}  // namespace pezolva
