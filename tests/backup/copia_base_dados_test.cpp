#include "backup_fixture.h"
#include "testproject/divergencias.h"

namespace pezolva {
namespace {

using testing::BackupFixture;
namespace tp = testproject;

class CopiaBaseDadosTest : public BackupFixture {};

TEST_F(CopiaBaseDadosTest, ACopyOpensWithThePasswordAndHoldsEveryRow) {
    dialogs.queue_answer(Answer::Yes);  // create copiaseg
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "A pasta " + pasta_copias() + " não existe. Deseja criar a pasta automaticamente?");
    EXPECT_EQ(dialogs.shown()[0].default_answer, Answer::Yes);
    EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"brasol200505191407.mdb"});

    const std::string caminho = pasta_copias() + "/brasol200505191407.mdb";
    EXPECT_THROW(engine::OpenDatabase(caminho, false, true, ";pwd=outra"), engine::EngineError);
    tp::BaseDados copia{caminho, "", tp::kPassePrincipal, {}};
    engine::Database db = tp::abre(copia);
    std::int64_t total = 0;
    for (const auto& [tabela, linhas] : projecto_teste.principal.linhas) {
        const auto n = db.OpenRecordset("select count(*) from " + engine::quote_identifier(tabela))
                           .Fields(std::size_t{0})
                           .to_integer();
        EXPECT_EQ(n, linhas) << tabela;
        total += linhas;
    }
    EXPECT_TRUE(db.OpenRecordset("PRAGMA foreign_key_check").IsEOF());

    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_DATA"), Value(DateTime{2005, 5, 19}));
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_HORA").to_text(), "14:07:00");
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_DURACAO"), Value(0));
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_DESTINO").to_text(), pasta_copias());
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_N_REGISTOS"), Value(total));
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_TAMANHO"),
              Value(static_cast<std::int64_t>(*files.file_size(projecto.base_principal()))));
}

TEST_F(CopiaBaseDadosTest, CompanionsWithAndWithoutPasswordAreCopied) {
    create_directories(files, pasta_copias());
    copia("brasol_fotos.mdb");
    copia("log.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(ficheiros(pasta_copias()),
              (std::vector<std::string>{"brasol_fotos200505191407.mdb", "log200505191407.mdb"}));
}

TEST_F(CopiaBaseDadosTest, ABareNameAndNoDestinationCopyBesideTheDatabase) {
    regista("brasol.mdb", "BUP_CAMINHO_DESTINO=Null");
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_TRUE(files.exists(projecto.caminho + "/brasol200505191407.mdb"));
    EXPECT_TRUE(dialogs.shown().empty());
}

// Each stop: its message, and nothing lost or left behind.
class ParagemTest : public BackupFixture {
  protected:
    void SetUp() override {
        cria_copia_antiga("brasol200505011200.mdb");
        antes = ficheiros(pasta_copias());
    }
    void espera_paragem(const std::string& erro) {
        EXPECT_EQ(log.erros(), erro);
        EXPECT_EQ(ficheiros(pasta_copias()), antes) << "a copy was lost or a file left behind";
        EXPECT_TRUE(coluna("brasol.mdb", "BUP_ULT_DATA").is_null());
        EXPECT_TRUE(coluna("brasol.mdb", "BUP_ULT_N_REGISTOS").is_null());
    }
    std::vector<std::string> antes;
};

TEST_F(ParagemTest, NoCopiesToKeep) {
    regista("brasol.mdb", "BUP_N_COPIAS_A_MANTER=0");
    copia("brasol.mdb");
    espera_paragem(
        "A base de dados brasol.mdb tem número de cópias a manter igual a zero. Não foi efectuada "
        "cópia.");
}

TEST_F(ParagemTest, NoStructureName) {
    regista("brasol.mdb", "BUP_ULT_NOME_ESTRUTURA=''");
    copia("brasol.mdb");
    espera_paragem("A parametrização da base de dados brasol.mdb não está correcta.");
}

TEST_F(ParagemTest, WrongPassword) {
    regista("brasol.mdb", "BUP_PASSWD='errada'");
    copia("brasol.mdb");
    espera_paragem("Não foi possível abrir a base de dados " + projecto.base_principal() +
                   ". Palavra-passe inválida.");
}

TEST_F(ParagemTest, MissingFolderNotToBeCreated) {
    regista("brasol.mdb", "BUP_CAMINHO_DESTINO=" + engine::quote_literal(dir.file("novas/bd")));
    dialogs.queue_answer(Answer::No);
    copia("brasol.mdb");
    espera_paragem("Não foi possível copiar o ficheiro " + projecto.caminho + "/estr_b.ebd para " +
                   dir.file("novas/bd") + "/brasol200505191407.mdb. Não existe a pasta.");
    EXPECT_FALSE(files.exists(dir.file("novas")));
}

TEST_F(ParagemTest, FolderThatCannotBeCreated) {
    testing::write_file(dir.file("ficheiro"), "");
    regista("brasol.mdb", "BUP_CAMINHO_DESTINO=" + engine::quote_literal(dir.file("ficheiro/bd")));
    dialogs.queue_answer(Answer::Yes);
    copia("brasol.mdb");
    espera_paragem("Não foi possível criar a pasta " + dir.file("ficheiro/bd") + ".");
}

TEST_F(ParagemTest, MissingStructure) {
    files.remove(projecto.caminho + "/estr_b.ebd");
    copia("brasol.mdb");
    ASSERT_EQ(
        log.erros().rfind("Não foi possível copiar o ficheiro " + projecto.caminho +
                              "/estr_b.ebd para " + pasta_copias() + "/brasol200505191407.mdb. ",
                          0),
        0u)
        << log.erros();
    espera_paragem(log.erros());
}

TEST_F(ParagemTest, CycleInTheStructureStopsBeforeAnyData) {
    engine::Database estrutura = tp::abre_estrutura(projecto_teste.principal);
    tp::cria_auto_relacao(estrutura);
    estrutura.Close();
    copia("brasol.mdb");
    espera_paragem("Existem ciclos na base de dados estrutura. (" + projecto.caminho +
                   "/estr_b.ebd)");
}

TEST_F(ParagemTest, AFailedRenameKeepsTheOldCopiesAndLeavesNoTemporaryFile) {
    files.fail("rename_no_replace", 0, EIO);
    copia("brasol.mdb");
    EXPECT_NE(log.erros().find("Falha simulada em rename_no_replace"), std::string::npos)
        << log.erros();
    espera_paragem(log.erros());
}

TEST_F(ParagemTest, AFullDiskWhileCopyingTheStructure) {
    files.fail("copy_file", files.calls("copy_file") + 1, ENOSPC);
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "Não há espaço suficiente no disco da pasta " + pasta_copias() +
                               " para a cópia " + pasta_copias() +
                               "/brasol200505191407.mdb da base de dados " +
                               projecto.base_principal() + ". A cópia não foi guardada.");
    espera_paragem(log.erros());
}

}  // namespace
}  // namespace pezolva
