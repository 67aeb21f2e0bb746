#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <filesystem>

#include "common/settings_store.h"
#include "engine/database.h"
#include "launcher_fixture.h"

namespace pezolva {
namespace {

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

// Settings a person saved from a Windows editor are read and kept as they
// were; a file of garbage is set aside, said where, and the list is empty.
TEST_F(LauncherTest, SettingsAsPeopleLeaveThemNeverStopTheLauncher) {
    const std::string pasta = dir.file("config/pelvor");
    std::filesystem::create_directories(pasta);
    const std::string windows =
        "[Projectos]\r\nNomes=obras\r\n[obras]\r\ndescr=Gest\xE3o\r\npath=/x\r\nnome_bd=b.mdb\r\n";
    testing::write_file(pasta + "/ZOLVA.ini", windows);
    const auto lido = corre({"projects"});
    EXPECT_EQ(lido.saida, 0) << lido.err;
    EXPECT_EQ(lido.out, "obras\tGestão\t/x\tb.mdb\n");
    EXPECT_NE(lido.err.find("Windows-1252"), std::string::npos) << lido.err;
    EXPECT_EQ(ini(), windows);

    static const char kLixo[] =
        "\x7F"
        "ELF\x02\x01\x01\0\0\0\xFF\xFE\n\x01\x02";
    testing::write_file(pasta + "/ZOLVA.ini", std::string(kLixo, sizeof kLixo - 1));
    const auto vazio = corre({"projects"});
    EXPECT_EQ(vazio.saida, 0) << vazio.err;
    EXPECT_EQ(vazio.out, "");
    EXPECT_NE(vazio.err.find(pasta + "/ZOLVA.ini."), std::string::npos) << vazio.err;
    int postos_de_lado = 0;
    for (const auto& e : std::filesystem::directory_iterator(pasta)) {
        if (e.path().extension() == ".ilegivel") {
            ++postos_de_lado;
            EXPECT_EQ(testing::read_file(e.path().string()), std::string(kLixo, sizeof kLixo - 1));
        }
    }
    EXPECT_EQ(postos_de_lado, 1);
}

// A start that does not mention the description keeps the registered one;
// --descr "" clears it on purpose.
TEST_F(LauncherTest, StartWithoutDescrKeepsTheRegisteredDescription) {
    base_em(dir.file("p1"), "quesim.mdb");
    const QString pasta = QString::fromStdString(dir.file("p1"));
    ASSERT_EQ(
        corre({"start", pasta, "obras", "quesim.mdb", "--descr", "Obras Públicas"}, "x").saida, 0);
    ASSERT_EQ(corre({"start", pasta, "OBRAS", "quesim.mdb"}, "x").saida, 0);
    EXPECT_EQ(corre({"projects"}).out,
              "obras\tObras Públicas\t" + dir.file("p1") + "\tquesim.mdb\n");
    ASSERT_EQ(corre({"start", pasta, "obras", "quesim.mdb", "--descr", ""}, "x").saida, 0);
    EXPECT_EQ(corre({"projects"}).out, "obras\t\t" + dir.file("p1") + "\tquesim.mdb\n");
}

// Whatever a project's texts hold, "projects --json" is JSON that gives
// them back exactly.
TEST_F(LauncherTest, ProjectsJsonGivesEveryTextBackExactly) {
    base_em(dir.file("p2"), "b.mdb");
    const std::string descr = "Obras \"Públicas\" \\ 2005\tlinha/€";
    ASSERT_EQ(corre({"start", QString::fromStdString(dir.file("p2")), "obras", "b.mdb", "--descr",
                     QString::fromStdString(descr)},
                    "x")
                  .saida,
              0);
    base_em(dir.file("p3"), "c.mdb");
    ASSERT_EQ(corre({"start", QString::fromStdString(dir.file("p3")), "outro", "c.mdb"}, "x").saida,
              0);
    const auto r = corre({"projects", "--json"});
    QJsonParseError erro{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &erro);
    ASSERT_EQ(erro.error, QJsonParseError::NoError) << r.out;
    ASSERT_TRUE(doc.isArray());
    ASSERT_EQ(doc.array().size(), 2);
    const QJsonObject obras = doc.array()[0].toObject();
    EXPECT_EQ(obras.keys(), (QStringList{"caminho", "descr", "nome", "nome_bd"}));
    EXPECT_EQ(obras["descr"].toString().toStdString(), descr);
    EXPECT_EQ(obras["caminho"].toString().toStdString(), dir.file("p2"));
    EXPECT_EQ(doc.array()[1].toObject()["nome"].toString(), "outro");
}

TEST_F(LauncherTest, PasswordComesFromAFileNeverFromTheCommandLine) {
    base_em(dir.file("p"), "quesim.mdb");
    testing::write_file(dir.file("pw"), "do-ficheiro\n");
    const auto r = corre({"start", QString::fromStdString(dir.file("p")), "p", "quesim.mdb",
                          "--password-file", QString::fromStdString(dir.file("pw"))});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(corre({"start", "a", "b", "c", "--password", "x"}, "").saida, 2);
    // Nothing to read it from (no variable, no file, no terminal), or a
    // file that cannot be read: the command was right, the run failed.
    const auto sem = corre({"start", QString::fromStdString(dir.file("p")), "p", "quesim.mdb"});
    EXPECT_EQ(sem.saida, 1);
    EXPECT_NE(sem.err.find("PEZOLVA_PASSWORD"), std::string::npos) << sem.err;
    EXPECT_EQ(sem.err.find("Uso:"), std::string::npos) << sem.err;
    const auto ilegivel =
        corre({"start", QString::fromStdString(dir.file("p")), "p", "quesim.mdb", "--password-file",
               QString::fromStdString(dir.file("nao-existe"))});
    EXPECT_EQ(ilegivel.saida, 1);
    EXPECT_NE(ilegivel.err.find(dir.file("nao-existe")), std::string::npos) << ilegivel.err;
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
    // It ends saying how to open it in the windows, its fixed password
    // (the one its start used) included.
    EXPECT_NE(r.out.find("Execute pezolva sem argumentos, escolha o projecto pezolva-demo e dê a "
                         "palavra-passe\n" +
                         std::string(testproject::kPassePrincipal) + " ("),
              std::string::npos)
        << r.out;
}

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
    EXPECT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418")
            .saida,
        0);
    EXPECT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "sim"}, "kqa730418").saida,
        2);
    EXPECT_TRUE(copias().empty());
}

TEST_F(LauncherBackupTest, BackupOfNamedDatabasesAndItsErrors) {
    ASSERT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418")
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
    ASSERT_EQ(
        corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "nao-fazer"}, "kqa730418")
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
    const auto ilegivel = corre({"start", q(pasta()), "novo", "brasol.mdb"}, "kqa730418", "", true);
    ::chmod(zolva.c_str(), 0600);
    EXPECT_EQ(ilegivel.saida, 1);
    uma_linha(ilegivel, "Não foi possível ler " + zolva);
    EXPECT_EQ(instantaneo(), antes);
}

}  // namespace
}  // namespace pezolva
