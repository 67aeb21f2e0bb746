// pezolva copies and pezolva restore, run as a user or a script runs them.
#include <sys/stat.h>

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

    // The register's rows of the main database, every column, in order.
    std::vector<std::string> registo() {
        engine::Database db =
            engine::OpenDatabase(pasta() + "/brasol.mdb", false, true, ";pwd=kqa730418");
        std::vector<std::string> linhas;
        for (auto r = db.OpenRecordset("select * from BUPS order by BUP_NOME_BD"); !r.IsEOF();
             r.MoveNext()) {
            std::string linha;
            for (std::size_t i = 0; i < r.FieldDefs().Count(); ++i)
                linha += r.Fields(i).to_text() + "|";
            linhas.push_back(linha);
        }
        return linhas;
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

TEST_F(LauncherReposicaoTest, TheMainDatabaseKeepsItsRegisterAcrossARestore) {
    ASSERT_EQ(corre({"copies", "--project", "obras"}, "kqa730418").saida, 0);
    {
        engine::Database db =
            engine::OpenDatabase(pasta() + "/brasol.mdb", false, false, ";pwd=kqa730418");
        db.Execute("update BUPS set BUP_N_COPIAS_A_MANTER = 9");
    }
    const std::vector<std::string> antes = registo();
    const auto r = repoe({q(copia_principal), "--yes"});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(r.out.find("criado de novo"), std::string::npos) << r.out;
    EXPECT_EQ(registo(), antes);
    const auto arranque =
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418");
    EXPECT_EQ(arranque.saida, 0) << arranque.err;
    EXPECT_EQ((arranque.out + arranque.err).find("BUPS"), std::string::npos)
        << arranque.out << arranque.err;
    EXPECT_EQ(registo(), antes);

    // From a damaged database nothing can be carried: the user is told.
    danifica_principal();
    const auto danificada = repoe({q(copia_principal), "--yes"});
    EXPECT_EQ(danificada.saida, 0) << danificada.err;
    EXPECT_NE(danificada.out.find("criado de novo"), std::string::npos) << danificada.out;
    EXPECT_EQ((danificada.out + danificada.err).find("BUPS"), std::string::npos);
    ASSERT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418")
            .saida,
        0);
    EXPECT_FALSE(registo().empty()) << "a fresh register at the next start";
}

TEST_F(LauncherReposicaoTest, AWrongPasswordIsRefusedNotTakenForADamagedDatabase) {
    const auto r = corre({"copies", "--project", "obras"}, "errada");
    EXPECT_EQ(r.saida, 1) << r.out;
    EXPECT_EQ(r.err.find("só as cópias da base de dados principal"), std::string::npos) << r.err;
    const std::string antes = principal();
    EXPECT_EQ(repoe({q(copia_principal), "--yes"}, "errada").saida, 1);
    EXPECT_TRUE(principal() == antes) << "the database changed";
}

// A signal in the middle of the swap: the restore ends as the signal asks,
// with the database either the old one or the copy, and nothing else left.
TEST_F(LauncherReposicaoTest, ASignalEndsTheRestoreCleanlyWithItsExitStatus) {
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0)
        GTEST_SKIP() << "no strace here";
    for (const auto& [sinal, saida] :
         {std::pair{"SIGTERM", 143}, std::pair{"SIGINT", 130}, std::pair{"SIGHUP", 129}}) {
        SCOPED_TRACE(sinal);
        danifica_principal();  // so that the restored file is the copy, byte for byte
        const QStringList strace =
            sob_strace("renameat2", QString("renameat2:signal=%1:when=1").arg(sinal));
        const auto r = corre({"restore", "--project", "obras", q(copia_principal), "--yes"},
                             "kqa730418", "", false, strace);
        EXPECT_EQ(r.saida, saida) << r.out << r.err;
        EXPECT_NE(r.err.find("interrompida pelo sinal"), std::string::npos) << r.err;
        EXPECT_TRUE(principal() == bytes_da_copia)
            << "the database is neither the old one nor the copy";
        for (const auto& e : std::filesystem::directory_iterator(pasta()))
            EXPECT_EQ(e.path().string().find("pezolva-reposicao"), std::string::npos) << e.path();
    }
}

// Two users of one machine share the project: a setgid folder of a group
// both belong to, its files group-writable.  The first (this process, with
// umask 077) holds the main database through the engine; the second runs
// the launcher.
TEST_F(LauncherReposicaoTest, AnotherUsersHoldStopsTheRestoreAndTheCompactionUntilItLetsGo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root to become it (setpriv); as one user, "
                        "ADatabaseAnotherProgramHasOpenIsNotReplaced covers the hold";
    ASSERT_EQ(corre({"copies", "--project", "obras"}, "kqa730418").saida, 0);
    constexpr gid_t kEquipa = testing::kUtilizadorComum;
    ::chmod(dir.str().c_str(), 0755);
    testing::entrega_ao_utilizador_comum(dir.file("config"));
    testing::entrega_ao_utilizador_comum(dir.file("data"));
    for (const std::string& pasta_equipa : {pasta(), pasta() + "/copiaseg"}) {
        for (const auto& e : std::filesystem::directory_iterator(pasta_equipa)) {
            if (e.path().filename().string().ends_with(".lock"))
                std::filesystem::remove(e.path());
            else if (e.is_regular_file())
                ::chmod(e.path().c_str(), 0660);
            ::chown(e.path().c_str(), 0, kEquipa);
        }
        ::chown(pasta_equipa.c_str(), 0, kEquipa);
        ::chmod(pasta_equipa.c_str(), 02770);
    }
    const std::string antes = principal();
    const mode_t umask_antes = ::umask(077);
    auto aberta = std::make_optional(
        engine::OpenDatabase(pasta() + "/brasol.mdb", false, true, ";pwd=kqa730418"));
    ::umask(umask_antes);
    const auto restore = corre({"restore", "--project", "obras", q(copia_principal), "--yes"},
                               "kqa730418", "", true);
    EXPECT_EQ(restore.saida, 1) << restore.out << restore.err;
    EXPECT_NE(restore.err.find("Provavelmente, está bloqueada por algum utilizador."),
              std::string::npos)
        << restore.err;
    // The compaction refuses as the restore does: the same "bloqueada"
    // text, then the cause on its own line.
    const std::string bloqueada =
        "A base de dados brasol.mdb está bloqueada. Por favor, saia do obras em todos os postos de "
        "trabalho.";
    const auto compact =
        corre({"compact", "--project", "obras", "brasol.mdb"}, "kqa730418", "", true);
    EXPECT_EQ(compact.saida, 1) << compact.out << compact.err;
    EXPECT_NE(compact.err.find(bloqueada + "\n\nO ficheiro '" + pasta() +
                               "/brasol.mdb' está em uso por outro utilizador.\n"),
              std::string::npos)
        << compact.err;
    EXPECT_NE(compact.out.find("A compactar brasol.mdb... não foi compactada: está bloqueada\n"),
              std::string::npos)
        << compact.out;
    EXPECT_TRUE(principal() == antes) << "the database changed under its holder";

    aberta.reset();
    // A companion B cannot open for writing (an older version made it
    // private) cannot tell whether A still holds it: the same refusal.
    const std::string companheiro = pasta() + "/.brasol.mdb.lock";
    struct stat partilhado {};
    ASSERT_EQ(::stat(companheiro.c_str(), &partilhado), 0);
    ::chown(companheiro.c_str(), 0, 0);
    ::chmod(companheiro.c_str(), 0600);
    const auto sem_saber =
        corre({"compact", "--project", "obras", "brasol.mdb"}, "kqa730418", "", true);
    EXPECT_EQ(sem_saber.saida, 1) << sem_saber.out << sem_saber.err;
    EXPECT_NE(sem_saber.err.find(bloqueada + "\n\nNão é possível saber se a base de dados '" +
                                 pasta() + "/brasol.mdb' está em uso: o ficheiro de bloqueio '" +
                                 companheiro + "' não pode ser bloqueado ("),
              std::string::npos)
        << sem_saber.err;
    EXPECT_TRUE(principal() == antes) << "the database changed while nobody could tell";
    ::chown(companheiro.c_str(), partilhado.st_uid, partilhado.st_gid);
    ::chmod(companheiro.c_str(), partilhado.st_mode & 07777);

    const auto depois = corre({"restore", "--project", "obras", q(copia_principal), "--yes"},
                              "kqa730418", "", true);
    EXPECT_EQ(depois.saida, 0) << depois.out << depois.err;
    const auto compactada =
        corre({"compact", "--project", "obras", "brasol.mdb"}, "kqa730418", "", true);
    EXPECT_EQ(compactada.saida, 0) << compactada.out << compactada.err;
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
    // The copy is made by the kernel where it can, by reads and writes where
    // it cannot: a full disk must stop either.
    for (const QString& falha :
         {QString("trace=copy_file_range -e inject=copy_file_range:error=ENOSPC"),
          QString("trace=copy_file_range,write -e inject=copy_file_range:error=EXDEV "
                  "-e inject=write:error=ENOSPC:when=3+"),
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
