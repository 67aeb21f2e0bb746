// The register check as a host start runs it: through mnt::actualiza_path,
// on real database files, with scripted dialogs.
#include "register/valida_bups.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <barrier>
#include <filesystem>
#include <thread>

#include "engine/database.h"
#include "engine/field_types.h"
#include "interface/estado.h"
#include "pezolva/mnt.h"
#include "register/bups.h"
#include "support/databases.h"
#include "support/fixtures.h"

namespace pezolva {
namespace {

class ValidaBupsTest : public ::testing::Test {
  protected:
    std::string pasta() { return t.dir.file("proj"); }
    std::string caminho(const std::string& nome) { return pasta() + "/" + nome; }

    // A project folder with its main database and the companion files.
    void cria_projecto(const std::string& nome_bd, const std::string& password = "kqa730418") {
        create_directories(t.files, pasta());
        testing::make_database(caminho(nome_bd), "create table clientes (id integer primary key)",
                               password);
        for (const char* companheira : {"brasol_fotos.mdb", "log.mdb"}) {
            testing::write_file(caminho(companheira), "");
        }
    }

    bool arranca(const std::string& nome_bd, bool vem_de_pezolva = false,
                 std::string password = "kqa730418", std::string folder = "") {
        std::string c = folder.empty() ? pasta() : folder, p = "proj", n = nome_bd, d = "Projecto";
        return m.actualiza_path(c, p, n, d, password, vem_de_pezolva);
    }

    engine::Database abre(const std::string& nome_bd, const std::string& password = "kqa730418") {
        return engine::OpenDatabase(caminho(nome_bd), false, false, ";pwd=" + password);
    }

    testing::TestServices t;
    ServicosSubstituidos substitutos{t.services};
    mnt m;
};

TEST_F(ValidaBupsTest, NewBrasolProjectEndsItsFirstHostStartMigrated) {
    cria_projecto("brasol.mdb");
    EXPECT_TRUE(arranca("brasol.mdb"));
    EXPECT_TRUE(t.dialogs.shown().empty()) << t.dialogs.shown()[0].text;

    engine::Database db = abre("brasol.mdb");
    engine::TableDef bups = db.TableDef("BUPS");
    EXPECT_EQ(bups.Fields()["BUP_NOME_BD"].Type(), engine::TipoTexto);
    EXPECT_EQ(bups.Fields()["BUP_NOME_BD"].Size(), 255);
    EXPECT_EQ(bups.Fields()["BUP_ULT_NOME_ESTRUTURA"].Size(), 255);
    EXPECT_EQ(bups.Fields()["n_integridades_bd"].Type(), engine::TipoLongo);
    // The two moved columns stand after BUP_PASSWD, the frequency last.
    EXPECT_EQ(testing::field_names(db, "BUPS"),
              "BUP_N_DIAS_INTERVALO,BUP_N_COPIAS_A_MANTER,BUP_CAMINHO_DESTINO,BUP_ULT_DATA,"
              "BUP_ULT_HORA,BUP_ULT_DURACAO,BUP_ULT_DESTINO,BUP_ULT_TAMANHO,BUP_ULT_COMPACTAR,"
              "BUP_ULT_N_REGISTOS,BUP_ULT_APARECE_AVISO,BUP_ULT_UTILIZADOR,BUP_VERSAO,BUP_PASSWD,"
              "BUP_NOME_BD,BUP_ULT_NOME_ESTRUTURA,n_integridades_bd");
    const engine::Index& chave = bups.Indexes()["PrimaryKey"];
    EXPECT_TRUE(chave.Primary());
    ASSERT_EQ(chave.Fields().size(), 1u);
    EXPECT_EQ(chave.Fields()[0], "BUP_NOME_BD");

    engine::Recordset rs = db.OpenRecordset("BUPS");
    std::vector<std::string> nomes;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        nomes.push_back(rs["BUP_NOME_BD"].to_text());
        EXPECT_EQ(rs["BUP_VERSAO"].to_text(), "030930");
        EXPECT_EQ(rs["n_integridades_bd"], Value(30));
        EXPECT_EQ(rs["BUP_CAMINHO_DESTINO"].to_text(), pasta() + "/copiaseg");
        EXPECT_TRUE(rs["BUP_ULT_DATA"].is_null());
    }
    EXPECT_EQ(nomes, (std::vector<std::string>{"brasol.mdb", "brasol_fotos.mdb", "log.mdb"}));
    rs.MoveFirst();
    EXPECT_EQ(rs["BUP_PASSWD"].to_text(), "kqa730418");
    EXPECT_EQ(rs["BUP_ULT_NOME_ESTRUTURA"].to_text(), "estr_b.ebd");
    EXPECT_EQ(rs["BUP_ULT_APARECE_AVISO"], Value(true));
    EXPECT_EQ(rs["BUP_N_COPIAS_A_MANTER"], Value(5));
}

TEST_F(ValidaBupsTest, FromTheLauncherTheFrequencyColumnWaitsForAHostStart) {
    cria_projecto("brasol.mdb");
    EXPECT_TRUE(arranca("brasol.mdb", true));
    engine::Database db = abre("brasol.mdb");
    EXPECT_FALSE(db.TableDef("BUPS").Fields().Contains("n_integridades_bd"));
    EXPECT_EQ(db.OpenRecordset("BUPS")["BUP_VERSAO"].to_text(), "030930");
}

TEST_F(ValidaBupsTest, MainRowKeepsTheHostsLetterCase) {
    cria_projecto("BRASOL.MDB");
    EXPECT_TRUE(arranca("BRASOL.MDB"));
    engine::Database db = abre("BRASOL.MDB");
    EXPECT_EQ(db.OpenRecordset("BUPS")["BUP_NOME_BD"].to_text(), "BRASOL.MDB");
    EXPECT_EQ(db.OpenRecordset("BUPS").RecordCount(), 3);
}

TEST_F(ValidaBupsTest, OtherProjectsGetAnEmptyRegisterAndKeepTheirVersion) {
    cria_projecto("quesim.mdb", "");
    EXPECT_TRUE(arranca("quesim.mdb", false, ""));
    {
        engine::Database db = abre("quesim.mdb", "");
        EXPECT_EQ(db.OpenRecordset("BUPS").RecordCount(), 0);
        EXPECT_TRUE(db.TableDef("BUPS").Indexes()["PrimaryKey"].Primary());
        db.Execute(
            "insert into BUPS (BUP_NOME_BD, BUP_VERSAO, BUP_CAMINHO_DESTINO) values "
            "('quesim.mdb', '030909', '/algures')");
    }
    EXPECT_TRUE(arranca("quesim.mdb", false, ""));
    engine::Database db = abre("quesim.mdb", "");
    engine::Recordset rs = db.OpenRecordset("BUPS");
    EXPECT_EQ(rs["BUP_VERSAO"].to_text(), "030909");
    EXPECT_EQ(rs["BUP_CAMINHO_DESTINO"].to_text(), pasta() + "/copiaseg");
    EXPECT_EQ(db.TableDef("BUPS").Fields()["BUP_NOME_BD"].Size(), 25);
}

TEST_F(ValidaBupsTest, AMigratedRegisterIsNotMigratedAgain) {
    cria_projecto("brasol.mdb");
    ASSERT_TRUE(arranca("brasol.mdb"));
    abre("brasol.mdb").Execute("update BUPS set BUP_N_DIAS_INTERVALO=9");
    ASSERT_TRUE(arranca("brasol.mdb"));
    engine::Database db = abre("brasol.mdb");
    EXPECT_EQ(db.OpenRecordset("BUPS")["BUP_N_DIAS_INTERVALO"], Value(9));
    EXPECT_EQ(testing::field_names(db, "BUPS").substr(0, 20), "BUP_N_DIAS_INTERVALO");
}

TEST_F(ValidaBupsTest, MissingMainDatabaseIsReportedAndTheStartGoesOn) {
    create_directories(t.files, pasta());
    EXPECT_TRUE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, "A base de dados " + pasta() + "/brasol.mdb não existe.");
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
}

TEST_F(ValidaBupsTest, TrailingSeparatorIsDroppedInMemoryAndKeptInTheSettings) {
    cria_projecto("brasol.mdb");
    EXPECT_TRUE(arranca("brasol.mdb", false, "kqa730418", pasta() + "/"));
    EXPECT_EQ(estado().projecto_actual.caminho, pasta());
    EXPECT_EQ(t.settings.get("ZOLVA", "proj", "path", ""), pasta() + "/");
    EXPECT_EQ(abre("brasol.mdb").OpenRecordset("BUPS")["BUP_CAMINHO_DESTINO"].to_text(),
              pasta() + "/copiaseg");
}

TEST_F(ValidaBupsTest, ReadOnlyMainDatabaseIsMadeWritableAndOpened) {
    cria_projecto("brasol.mdb");
    chmod(caminho("brasol.mdb").c_str(), 0444);
    EXPECT_TRUE(arranca("brasol.mdb"));
    EXPECT_FALSE(t.files.is_read_only(caminho("brasol.mdb")));
    EXPECT_EQ(abre("brasol.mdb").OpenRecordset("BUPS").RecordCount(), 3);
}

TEST_F(ValidaBupsTest, AnUnreadableMainDatabaseThatStaysClosedFailsTheStart) {
    create_directories(t.files, pasta());
    testing::write_file(caminho("brasol.mdb"), std::string(4096, 'x'));
    chmod(caminho("brasol.mdb").c_str(), 0444);
    EXPECT_FALSE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text,
              "O caminho " + pasta() +
                  " não está acessível. Não é possível abrir a base de dados. Verifique os cabos "
                  "ou as configurações da rede.");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);
}

TEST_F(ValidaBupsTest, WithoutACompactionToolAnUnopenableDatabaseFailsTheStart) {
    create_directories(t.files, pasta());
    testing::write_file(caminho("brasol.mdb"), std::string(4096, 'x'));
    EXPECT_FALSE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 2u);
    EXPECT_EQ(t.dialogs.shown()[0].text,
              "Não foi encontrado o ficheiro jetcomp.exe, que é necessário para compactar a base "
              "de dados.");
    EXPECT_EQ(t.dialogs.shown()[1].text,
              "Não foi possível compactar a base de dados brasol.mdb. Por favor contacte a "
              "assistência técnica.");
}

// The recovery at start-up: a damaged main database is offered to the
// compaction, which asks first; a repair that fails (or is refused) leaves
// the start failed, never reported as a success.
TEST_F(ValidaBupsTest,
       ADamagedMainDatabaseIsCompactedAfterTheQuestionAndAFailedRepairFailsTheStart) {
    create_directories(t.files, pasta());
    std::filesystem::create_symlink(JETCOMP, caminho("jetcomp"));
    const std::string danificada = std::string(4096, 'x');
    testing::write_file(caminho("brasol.mdb"), danificada);

    t.dialogs.queue_answer(Answer::Yes);
    EXPECT_FALSE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 2u);
    EXPECT_EQ(t.dialogs.shown()[0].text.rfind(
                  "A base de dados brasol.mdb está bloqueada. Por favor, saia do proj ", 0),
              0u);
    EXPECT_EQ(t.dialogs.shown()[1].text,
              "Não foi possível executar a reparação da base de dados brasol.mdb. Verifique que "
              "não está nenhum "
              "utilizador ligado, reinicie o computador, e tente de novo.");
    EXPECT_EQ(testing::read_file(caminho("brasol.mdb")), danificada);

    t.dialogs.clear();
    t.dialogs.queue_answer(Answer::No);
    EXPECT_FALSE(arranca("brasol.mdb"));
    EXPECT_EQ(t.dialogs.shown().size(), 1u);
}

TEST_F(ValidaBupsTest, RegisteredDatabasesMissingOnDiskAreReported) {
    cria_projecto("brasol.mdb");
    t.files.remove(caminho("log.mdb"));
    EXPECT_TRUE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text.rfind(
                  "A base de dados não existe no caminho especificado. Erro: ", 0),
              0u);
}

TEST_F(ValidaBupsTest, AMigrationThatKeepsFailingLeavesTheRegisterAsItWas) {
    create_directories(t.files, pasta());
    {
        engine::Database db = testing::make_database(caminho("brasol.mdb"), "", "kqa730418");
        ProjectoActual p;
        p.caminho = pasta();
        p.nome_bd = "brasol.mdb";
        ASSERT_TRUE(cria_bups(db, p, t.dialogs));
        // A view over the key column makes every rebuild of the table fail.
        db.Execute("create view nomes as select BUP_NOME_BD from BUPS");
    }
    EXPECT_FALSE(arranca("brasol.mdb"));
    ASSERT_EQ(t.dialogs.shown().size(), 3u);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
    EXPECT_NE(t.dialogs.shown()[2].text.find("A actualização da tabela BUPS foi abandonada"),
              std::string::npos)
        << t.dialogs.shown()[2].text;
    engine::Database db = abre("brasol.mdb");
    EXPECT_EQ(db.TableDef("BUPS").Fields()["BUP_NOME_BD"].Size(), 25);
    EXPECT_EQ(db.OpenRecordset("BUPS")["BUP_VERSAO"].to_text(), "030909");
    EXPECT_EQ(db.OpenRecordset("BUPS").RecordCount(), 3);
    EXPECT_TRUE(db.TableDef("BUPS").Indexes()["PrimaryKey"].Primary());
}

// A wrong password is not damage: the engine's message, a failed start, and
// no repair of any kind (the file keeps its bytes).
TEST_F(ValidaBupsTest, AWrongPasswordFailsTheStartAndNothingIsRepaired) {
    cria_projecto("brasol.mdb");
    const std::string antes = testing::read_file(caminho("brasol.mdb"));
    EXPECT_FALSE(arranca("brasol.mdb", false, "errada"));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text, "Palavra-passe inválida.");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(testing::read_file(caminho("brasol.mdb")), antes);
    EXPECT_EQ(abre("brasol.mdb").TableDefs().Contains("BUPS"), false);
}

// Two hosts starting the same new project at the same moment: whichever
// comes second finds the register made (and migrated) by the first and
// goes on, with no message.
TEST_F(ValidaBupsTest, TwoFirstStartsAtOnceBothSucceed) {
    constexpr int kRondas = 12;
    for (int ronda = 0; ronda < kRondas; ++ronda) {
        const std::string pasta_ronda = t.dir.file("ronda" + std::to_string(ronda));
        create_directories(t.files, pasta_ronda);
        testing::make_database(pasta_ronda + "/brasol.mdb", "create table c (id integer)",
                               "kqa730418");
        std::barrier partida(2);
        bool inconsistente[2] = {false, false};
        std::size_t mensagens[2] = {0, 0};
        const auto arranque = [&](int i) {
            testing::TestServices proprios;
            ProjectoActual p;
            p.caminho = pasta_ronda;
            p.projecto = "proj";
            p.nome_bd = "brasol.mdb";
            p.passwd = "kqa730418";
            partida.arrive_and_wait();
            valida_bups_bd(p, proprios.services, {}, inconsistente[i]);
            mensagens[i] = proprios.dialogs.shown().size();
        };
        std::thread a(arranque, 0), b(arranque, 1);
        a.join();
        b.join();
        for (int i = 0; i < 2; ++i) {
            EXPECT_FALSE(inconsistente[i]) << "ronda " << ronda;
            EXPECT_EQ(mensagens[i], 0u) << "ronda " << ronda;
        }
        engine::Database db =
            engine::OpenDatabase(pasta_ronda + "/brasol.mdb", false, false, ";pwd=kqa730418");
        engine::Recordset rs = db.OpenRecordset("BUPS");
        EXPECT_EQ(rs.RecordCount(), 3) << "ronda " << ronda;
        EXPECT_EQ(rs["BUP_VERSAO"].to_text(), "030930");
        EXPECT_EQ(rs["n_integridades_bd"], Value(30));
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace pezolva
