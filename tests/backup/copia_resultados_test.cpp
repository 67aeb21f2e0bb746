// What a completed backup leaves: the copies kept, the statistics, and the
// lines of the logs when the live database and its structure differ.
#include "backup/execucao_copias.h"
#include "backup/verifica_copia.h"
#include "backup_fixture.h"
#include "testproject/divergencias.h"

namespace pezolva {
namespace {

using testing::BackupFixture;
namespace tp = testproject;

class CopiaResultadosTest : public BackupFixture {
  protected:
    void SetUp() override { create_directories(files, pasta_copias()); }
};

TEST_F(CopiaResultadosTest, RetentionKeepsTheNumberAskedTheNewCopyIncluded) {
    regista("brasol.mdb", "BUP_N_COPIAS_A_MANTER=3");
    for (const char* antiga :
         {"brasol200505041200.mdb", "brasol200505011200.mdb", "brasol200505031200.mdb",
          "brasol200505021200.mdb", "brasol_fotos200505011200.mdb", "brasol.bak"}) {
        cria_copia_antiga(antiga);
    }
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(
        ficheiros(pasta_copias()),
        (std::vector<std::string>{"brasol.bak", "brasol200505031200.mdb", "brasol200505041200.mdb",
                                  "brasol200505191407.mdb", "brasol_fotos200505011200.mdb"}));
}

TEST_F(CopiaResultadosTest, ASameMinuteCopyIsReplacedByTheCompleteNewOne) {
    regista("brasol.mdb", "BUP_N_COPIAS_A_MANTER=1");
    testing::write_file(pasta_copias() + "/brasol200505191407.mdb", "cópia anterior");
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    // The hidden lock that guarded the replacement stays with the copy.
    EXPECT_EQ(ficheiros(pasta_copias()),
              (std::vector<std::string>{".brasol200505191407.mdb.lock", "brasol200505191407.mdb"}));
    EXPECT_NO_THROW(tp::abre(
        tp::BaseDados{pasta_copias() + "/brasol200505191407.mdb", "", tp::kPassePrincipal, {}}));
}

TEST_F(CopiaResultadosTest, ASameMinuteCopyInUseIsNotReplaced) {
    regista("brasol.mdb", "BUP_N_COPIAS_A_MANTER=1");
    copia("brasol.mdb");
    engine::Database aberta = engine::OpenDatabase(pasta_copias() + "/brasol200505191407.mdb",
                                                   false, true, projecto.ligacao());
    regista("brasol.mdb", "BUP_ULT_DATA=Null");
    copia("brasol.mdb");
    EXPECT_NE(log.erros().find("está em uso"), std::string::npos) << log.erros();
    EXPECT_EQ(ficheiros(pasta_copias()).size(), 2u) << "the copy and its lock file, nothing else";
    EXPECT_TRUE(coluna("brasol.mdb", "BUP_ULT_DATA").is_null());
}

TEST_F(CopiaResultadosTest, ASizeBeyondTwoGibibytesIsRecordedWhole) {
    files.report_size(3'000'000'000ull);
    copia("brasol.mdb");
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_TAMANHO"), Value(std::int64_t{3'000'000'000}));
}

TEST_F(CopiaResultadosTest, RowsTheStructureRefusesAreCountedAndReported) {
    engine::Database viva = tp::abre(projecto_teste.principal);
    tp::apaga_relacao(viva, tp::kRelacaoTurnos);
    const std::string tabela = tp::insere_linha_orfa(viva);
    viva.Close();
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "Erros detectados ao copiar a tabela " + tabela + " na base de dados " +
                               projecto.base_principal() + ".");
    // The copy is made all the same, and the statistics count the live rows.
    EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"brasol200505191407.mdb"});
    std::int64_t total = 1;
    for (const auto& [t, n] : projecto_teste.principal.linhas) total += n;
    EXPECT_EQ(coluna("brasol.mdb", "BUP_ULT_N_REGISTOS"), Value(total));
}

TEST_F(CopiaResultadosTest, AStructureTableAbsentFromTheLiveDatabase) {
    engine::Database viva = tp::abre(projecto_teste.principal);
    tp::apaga_tabela(viva, "guarnicoes");
    viva.Close();
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(),
              "A tabela guarnicoes da base de dados antiga foi apagada na nova\r\n"
              "Erros detectados ao copiar a tabela guarnicoes na base de dados " +
                  projecto.base_principal() + ".");
    EXPECT_EQ(ficheiros(pasta_copias()).size(), 1u);
}

TEST_F(CopiaResultadosTest, VersionDifferencesAreWarningsOnly) {
    engine::Database estrutura = tp::abre_estrutura(projecto_teste.principal);
    tp::muda_versao(estrutura, "20990101");
    estrutura.Close();
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(log.mensagens(), "A base de dados " + projecto.base_principal() +
                                   " e a estrutura têm versões diferentes. É aconselhável "
                                   "verificar e actualizar a mais antiga.");
    EXPECT_EQ(ficheiros(pasta_copias()).size(), 1u);
}

TEST_F(CopiaResultadosTest, ACopyMissingRowsIsNotTrusted) {
    copia("brasol.mdb");
    const std::string caminho = pasta_copias() + "/brasol200505191407.mdb";
    EXPECT_EQ(backup::verifica_copia(caminho, projecto.ligacao(), {{"bombeiros", 99999}}),
              "A tabela bombeiros tem " +
                  std::to_string(projecto_teste.principal.linhas.at("bombeiros")) +
                  " registos em vez de 99999.");
    EXPECT_EQ(
        backup::verifica_copia(caminho, projecto.ligacao(),
                               {{"bombeiros", projecto_teste.principal.linhas.at("bombeiros")}}),
        std::nullopt);
    testing::write_file(dir.file("lixo.mdb"), std::string(8192, 'x'));
    EXPECT_TRUE(backup::verifica_copia(dir.file("lixo.mdb"), "", {}).has_value());
}

class ExecucaoCopiasTest : public BackupFixture {
  protected:
    backup::FimExecucao corre(const std::vector<std::string>& nomes) {
        create_directories(files, pasta_copias());
        engine::Database db = principal();
        engine::Recordset rs = db.OpenRecordset("select * from BUPS");
        backup::Progresso sem_progresso;
        backup::CopiaBaseDados copia(services, projecto, log, sem_progresso);
        return backup::executa_copias(nomes, rs, copia, log, dialogs, [&] { ++iniciadas; });
    }
    int iniciadas = 0;
};

TEST_F(ExecucaoCopiasTest, NothingChosenIsToldAndNothingCopied) {
    EXPECT_EQ(corre({}), backup::FimExecucao::NadaSeleccionado);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "Não está nenhuma base de dados seleccionada. Clique no quadrado do lado esquerdo "
              "do nome dos ficheiros a copiar.");
    EXPECT_EQ(dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(iniciadas, 0);
}

TEST_F(ExecucaoCopiasTest, OneFailingDatabaseDoesNotStopTheOthers) {
    regista("brasol.mdb", "BUP_PASSWD='errada'");
    EXPECT_EQ(corre({"brasol.mdb", "log.mdb"}), backup::FimExecucao::ComErros);
    EXPECT_EQ(log.erros().rfind("Não foi possível abrir a base de dados ", 0), 0u);
    EXPECT_EQ(log.erros().find("\r\n"), std::string::npos) << "one line only";
    EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"log200505191407.mdb"});
    EXPECT_EQ(iniciadas, 2);
}

TEST_F(ExecucaoCopiasTest, AChosenNameWithoutRegisterRowIsAnInternalError) {
    EXPECT_EQ(corre({"o'brien.mdb"}), backup::FimExecucao::NenhumaIniciada);
    EXPECT_EQ(log.erros(),
              "Erro interno. Não foi encontrado o registo de cópias de segurança da base de "
              "dados o'brien.mdb.");
    EXPECT_EQ(corre({"log.mdb"}), backup::FimExecucao::Concluida);
    EXPECT_EQ(log.erros(), "") << "each run starts with an empty error log";
}

}  // namespace
}  // namespace pezolva
