// pezolva copies and pezolva restore, run as a user or a script runs them.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "launcher_fixture.h"

namespace pezolva {
namespace {

class LauncherReposicaoTest : public LauncherBackupTest {
  protected:
    void SetUp() override {
        LauncherBackupTest::SetUp();
        ASSERT_EQ(
            corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "fazer"}, "kqa730418")
                .saida,
            0);
        ASSERT_EQ(copias().size(), 3u);
        copia_principal = copias()[0];
        bytes_da_copia = testing::read_file(pasta() + "/copiaseg/" + copia_principal);
    }
    Resultado repoe(const QStringList& mais, const char* password = "kqa730418") {
        return corre(QStringList{"restore", "--project", "obras"} + mais, password);
    }
    std::string principal() { return testing::read_file(pasta() + "/brasol.mdb"); }
    void danifica_principal() {
        testing::write_file(pasta() + "/brasol.mdb", std::string(8192, '\0'));
    }

    std::string copia_principal;
    std::string bytes_da_copia;
};

TEST_F(LauncherReposicaoTest, CopiesListsWhatTheWindowWouldNewestFirstAndAsJson) {
    const auto texto = corre({"copies", "--project", "obras"}, "kqa730418");
    EXPECT_EQ(texto.saida, 0) << texto.err;
    for (const std::string& c : copias())
        EXPECT_NE(texto.out.find(c), std::string::npos) << texto.out;

    const auto json = corre({"copies", "--project", "obras", "--json"}, "kqa730418");
    EXPECT_EQ(json.saida, 0) << json.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out));
    ASSERT_TRUE(doc.isArray()) << json.out;
    ASSERT_EQ(doc.array().size(), 3);
    const QJsonObject primeira = doc.array()[0].toObject();
    EXPECT_EQ(primeira["bytes"].toInteger(), static_cast<qint64>(bytes_da_copia.size()));
    EXPECT_TRUE(QDateTime::fromString(primeira["data"].toString(), Qt::ISODate).isValid())
        << json.out;
    EXPECT_EQ(primeira["caminho"].toString().toStdString(), pasta() + "/copiaseg");
}

TEST_F(LauncherReposicaoTest, WithoutATerminalOrYesNothingChangesAndWithYesTheCopyTakesItsPlace) {
    danifica_principal();
    const std::string danificada = principal();
    const auto sem_resposta = repoe({q(copia_principal)});
    EXPECT_EQ(sem_resposta.saida, 1);
    EXPECT_NE(sem_resposta.err.find("TODOS OS DADOS da base de dados em uso serão ELIMINADOS."),
              std::string::npos)
        << sem_resposta.err;
    EXPECT_TRUE(principal() == danificada) << "the database changed";

    // The main database is damaged: the register cannot be read, the
    // restore goes on all the same.
    const auto feita = repoe({q(copia_principal), "--yes"});
    EXPECT_EQ(feita.saida, 0) << feita.err;
    EXPECT_NE(feita.out.find("Cópia concluida"), std::string::npos);
    EXPECT_TRUE(principal() == bytes_da_copia) << "the database changed";
    EXPECT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418")
            .saida,
        0)
        << "the host starts on the restored database";
}

TEST_F(LauncherReposicaoTest, ACopyIsNamedByItsFileOrItsPathAndNothingElse) {
    const std::string fora = dir.file("guardada");
    std::filesystem::create_directories(fora);
    std::filesystem::copy_file(pasta() + "/copiaseg/" + copia_principal,
                               fora + "/" + copia_principal);
    danifica_principal();
    EXPECT_EQ(repoe({q(fora + "/" + copia_principal), "--yes"}).saida, 0);
    EXPECT_TRUE(principal() == bytes_da_copia) << "the database changed";

    // A start may tidy the register of the restored database: what a
    // refused restore must leave is the database as that start left it.
    ASSERT_EQ(corre({"copies", "--project", "obras"}, "kqa730418").saida, 0);
    const std::string antes = principal();
    for (const std::string& errada :
         {std::string("brasol.mdb"), std::string("nada200505191407.mdb"), fora + "/brasol.mdb"}) {
        const auto r = repoe({q(errada), "--yes"});
        EXPECT_EQ(r.saida, 1) << errada;
        EXPECT_NE(r.err.find("não é uma cópia de segurança"), std::string::npos) << r.err;
    }
    EXPECT_EQ(repoe({}).saida, 2);
    EXPECT_TRUE(principal() == antes) << "the database changed";
}

TEST_F(LauncherReposicaoTest, ADatabaseAnotherProgramHasOpenIsNotReplaced) {
    const std::string antes = principal();
    engine::Database aberta =
        engine::OpenDatabase(pasta() + "/brasol.mdb", false, true, ";pwd=kqa730418");
    const auto r = repoe({q(copia_principal), "--yes"});
    EXPECT_EQ(r.saida, 1);
    EXPECT_NE(r.err.find("Provavelmente, está bloqueada por algum utilizador."), std::string::npos)
        << r.err;
    EXPECT_TRUE(principal() == antes) << "the database changed";
}

// The machine failing under the restore, at the system-call level: the copy's
// writes refused (a full disk), its sync or the swap of names failing.
TEST_F(LauncherReposicaoTest, AFailureAtTheCopyTheSyncOrTheSwapLeavesTheDatabaseAndNothingElse) {
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0)
        GTEST_SKIP() << "no strace here";
    ASSERT_EQ(corre({"copies", "--project", "obras"}, "kqa730418").saida,
              0);  // the start's own tidying first
    const std::string antes = principal();
    const auto ficheiros = [&] {
        std::vector<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta()))
            nomes.push_back(e.path().filename());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    };
    const auto nomes_antes = ficheiros();
    for (const QString& falha : {QString("trace=write -e inject=write:error=ENOSPC:when=3+"),
                                 QString("trace=fsync -e inject=fsync:error=EIO"),
                                 QString("trace=renameat2 -e inject=renameat2:error=EIO")}) {
        SCOPED_TRACE(falha.toStdString());
        QStringList strace{"strace", "-f", "-qq", "-o", "/dev/null", "-e"};
        strace += falha.split(' ');
        const auto r = corre({"restore", "--project", "obras", q(copia_principal), "--yes"},
                             "kqa730418", "", false, strace);
        EXPECT_EQ(r.saida, 1) << r.out << r.err;
        // A refused write refuses the message too: it is looked for when
        // the failure was elsewhere.
        if (!falha.contains("write")) {
            EXPECT_NE(r.err.find("Não foi possível substituir a base de dados seleccionada."),
                      std::string::npos)
                << r.err;
        }
        EXPECT_TRUE(principal() == antes) << "the database changed";
        EXPECT_EQ(ficheiros(), nomes_antes);
    }
}

}  // namespace
}  // namespace pezolva
