// The verification from the terminal: "pezolva verify" and the start-up
// sample of "pezolva start" where no window can be shown.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "apps/launcher_fixture.h"
#include "testproject/divergencias.h"

namespace pezolva {
namespace {

class LauncherVerifyTest : public LauncherBackupTest {
  protected:
    void SetUp() override {
        LauncherBackupTest::SetUp();
        const auto r =
            corre({"start", q(pasta()), "obras", "brasol.mdb"}, testproject::kPassePrincipal);
        ASSERT_EQ(r.saida, 0) << r.err;
    }
    // The main database's structure with its first text field of
    // `corporacoes` made longer.
    void estrutura_diferente() {
        engine::Database estr =
            engine::OpenDatabase(pasta() + "/" + testproject::kEstruturaPrincipal, false, false,
                                 std::string(";pwd=") + testproject::kPassePrincipal);
        testproject::muda_tamanho(estr, "corporacoes", "nome", 200);
    }
    void amostra_em_cada_arranque() {
        engine::OpenDatabase(pasta() + "/brasol.mdb", false, false,
                             std::string(";pwd=") + testproject::kPassePrincipal)
            .Execute("update BUPS set n_integridades_bd=1");
    }
};

TEST_F(LauncherVerifyTest, AConsistentProjectPrintsItsLogAndExitsZero) {
    const auto r = corre({"verify", "--project", "obras"}, testproject::kPassePrincipal);
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_NE(r.out.find("A verificar base de dados " + pasta() + "/brasol.mdb com " + pasta() +
                         "/estr_b.ebd.\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Concluido.\n"), std::string::npos);
}

TEST_F(LauncherVerifyTest, DifferencesExitOneAndJsonGivesEachAsAnObject) {
    estrutura_diferente();
    const auto texto = corre({"verify", "--project", "obras"}, testproject::kPassePrincipal);
    EXPECT_EQ(texto.saida, 1);
    EXPECT_NE(texto.out.find("!corporacoes!nome tem tamanho"), std::string::npos) << texto.out;

    const auto r = corre({"verify", "--project", "obras", "--json"}, testproject::kPassePrincipal);
    EXPECT_EQ(r.saida, 1);
    QJsonParseError erro;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &erro).object();
    ASSERT_EQ(erro.error, QJsonParseError::NoError) << r.out;
    EXPECT_TRUE(o["terminou"].toBool());
    EXPECT_FALSE(o["consistente"].toBool());
    EXPECT_TRUE(o["erros"].toArray().isEmpty());
    const QJsonArray diferencas = o["diferencas"].toArray();
    ASSERT_EQ(diferencas.size(), 2);  // one from each side
    const QJsonObject d = diferencas[0].toObject();
    EXPECT_EQ(d["tipo"].toString(), "tamanho");
    EXPECT_EQ(d["lado"].toString(), "base");
    EXPECT_EQ(d["base"].toString().toStdString(), pasta() + "/brasol.mdb");
    EXPECT_EQ(d["estrutura"].toString().toStdString(), pasta() + "/estr_b.ebd");
    EXPECT_EQ(d["tabela"].toString(), "corporacoes");
    EXPECT_EQ(d["campo"].toString(), "nome");
    EXPECT_EQ(d["valor_outro"].toString(), "200");
    EXPECT_EQ(diferencas[1].toObject()["valor"].toString(), "200");
    EXPECT_EQ(diferencas[1].toObject()["lado"].toString(), "estrutura");
}

TEST_F(LauncherVerifyTest, ARunThatCannotFinishExitsOne) {
    std::filesystem::remove(pasta() + "/estr_f.ebd");
    const auto r = corre({"verify", "--project", "obras", "--json"}, testproject::kPassePrincipal);
    EXPECT_EQ(r.saida, 1);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_FALSE(o["terminou"].toBool());
    ASSERT_EQ(o["erros"].toArray().size(), 2);
    EXPECT_EQ(o["erros"][0].toString(),
              "O ficheiro estr_f.ebd não foi encontrado. Configure os parâmetros de Backups");
    EXPECT_TRUE(o["erros"][1].toString().startsWith("Não foi possível abrir o ficheiro " +
                                                    q(pasta()) + "/estr_f.ebd.\n"));
}

// A missing or empty register is one line and no run, whichever it is.
TEST_F(LauncherVerifyTest, AMissingOrEmptyRegisterIsOneLineAndExitsOne) {
    engine::Database principal = engine::OpenDatabase(
        pasta() + "/brasol.mdb", false, false, std::string(";pwd=") + testproject::kPassePrincipal);
    principal.Execute("delete * from BUPS");
    principal.Close();
    const std::string linha = "Não foi encontrada a tabela BUPS na base de dados principal.";
    const auto vazio = corre({"verify", "--project", "obras"}, testproject::kPassePrincipal);
    EXPECT_EQ(vazio.saida, 1);
    EXPECT_EQ(vazio.out.find("3021"), std::string::npos) << vazio.out;
    EXPECT_EQ(vazio.out.find("A verificar"), std::string::npos) << vazio.out;
    EXPECT_EQ(vazio.out.rfind(linha + "\n", 0), 0u) << vazio.out;
}

// Without a display the sampled verification reports on the terminal: a
// consistent project starts, one out of step is refused with the message.
TEST_F(LauncherVerifyTest, StartSampledEveryTimeWithoutADisplay) {
    amostra_em_cada_arranque();
    const auto bom =
        corre({"start", q(pasta()), "obras", "brasol.mdb"}, testproject::kPassePrincipal);
    EXPECT_EQ(bom.saida, 0) << bom.err;
    EXPECT_NE(bom.err.find("A VERIFICAR AS BASES DE DADOS"), std::string::npos) << bom.err;

    estrutura_diferente();
    const auto mau =
        corre({"start", q(pasta()), "obras", "brasol.mdb"}, testproject::kPassePrincipal);
    EXPECT_EQ(mau.saida, 1);
    EXPECT_NE(mau.err.find("!corporacoes!nome tem tamanho"), std::string::npos) << mau.err;
    EXPECT_NE(mau.err.find("Existe uma base de dados que não está consistente com a estrutura."),
              std::string::npos)
        << mau.err;
}

}  // namespace
}  // namespace pezolva
