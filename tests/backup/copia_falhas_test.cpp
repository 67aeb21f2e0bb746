// A copy when things around it go wrong or get in its way: leftovers of
// killed runs, another program holding a copy, other users writing, a
// signal, a register that cannot be written, and the modes of what it
// makes.
#include <signal.h>
#include <sys/stat.h>

#include <functional>

#include "backup/execucao_copias.h"
#include "backup/nome_copia.h"
#include "backup_fixture.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"
#include "support/faulty_vfs.h"

namespace pezolva {
namespace {

namespace tp = testproject;

// A progress display that lets a test act when the copy reaches a table.
class ProgressoComAccao : public backup::Progresso {
  public:
    explicit ProgressoComAccao(std::function<void(const std::string&)> accao)
        : accao_(std::move(accao)) {}
    bool visivel() const override { return true; }
    void mostra(const std::string& /*base*/, const std::string& etapa) override { accao_(etapa); }

  private:
    std::function<void(const std::string&)> accao_;
};

class CopiaFalhasTest : public testing::BackupFixture {
  protected:
    void copia_com(backup::Progresso& progresso) {
        engine::Database db = principal();
        engine::Recordset rs = db.OpenRecordset("select * from BUPS");
        ASSERT_TRUE(rs.FindFirst("BUP_NOME_BD='brasol.mdb'"));
        backup::CopiaBaseDados(services, projecto, log, progresso).copia(rs);
    }
    std::string copia_feita() { return pasta_copias() + "/brasol200505191407.mdb"; }
    std::int64_t linhas(const std::string& caminho, const std::string& tabela) {
        engine::Database db = engine::OpenDatabase(caminho, false, true, projecto.ligacao());
        return *db.OpenRecordset("select count(*) from " + tabela)
                    .Fields(std::size_t{0})
                    .to_integer();
    }
    // distritos of the structure declared anew (it has no rows; the live
    // database keeps cod_distrito, nome, regiao).
    void redefine_distritos(const std::string& campos) {
        engine::Database estrutura = tp::abre_estrutura(projecto_teste.principal);
        estrutura.Execute("PRAGMA foreign_keys=OFF");
        estrutura.Execute("DROP TABLE distritos");
        estrutura.Execute("CREATE TABLE distritos (" + campos +
                          ", CONSTRAINT PrimaryKey PRIMARY KEY (cod_distrito))");
    }
    Value valor(const std::string& caminho, const std::string& sql) {
        engine::Database db = engine::OpenDatabase(caminho, false, true, projecto.ligacao());
        return db.OpenRecordset(sql).Fields(std::size_t{0});
    }
    unsigned modo(const std::string& caminho) {
        struct stat st {};
        EXPECT_EQ(::stat(caminho.c_str(), &st), 0) << caminho;
        return st.st_mode & 0777;
    }
};

TEST_F(CopiaFalhasTest, LeftoversOfKilledRunsAreReclaimedUnlessAliveOrOfAnotherDatabase) {
    create_directories(files, pasta_copias());
    const auto sobra = [&](const std::string& copia, std::uint64_t token) {
        return pasta_copias() + "/" + backup::nome_temporario(copia, token);
    };
    const std::string morta = sobra("brasol200505191300.mdb", 1);
    const std::string viva = sobra("brasol200505191400.mdb", 2);
    const std::string outra = sobra("brasol_fotos200505191300.mdb", 3);
    for (const std::string& f : {morta, morta + "-journal", viva, outra})
        testing::write_file(f, "0123456789");
    testing::write_file(engine::companion_path(morta), "");
    testing::write_file(morta + ".lock", "");  // as earlier versions named the lock
    // A journal whose temporary copy is gone.
    testing::write_file(sobra("brasol200505191200.mdb", 4) + "-journal", "01234");
    engine::CompanionLock em_uso(viva, engine::CompanionLock::Mode::Shared);

    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_NE(log.mensagens().find(
                  "Foram apagados 5 ficheiros temporários (25 bytes) deixados na pasta " +
                  pasta_copias() + " por cópias interrompidas da base de dados " +
                  projecto.base_principal() + "."),
              std::string::npos)
        << log.mensagens();
    EXPECT_FALSE(files.exists(morta));
    EXPECT_FALSE(files.exists(morta + "-journal"));
    EXPECT_FALSE(files.exists(engine::companion_path(morta)));
    EXPECT_TRUE(files.exists(viva)) << "a backup running elsewhere keeps its file";
    EXPECT_NE(log.mensagens().find("Ficaram 2 ficheiros temporários na pasta " + pasta_copias()),
              std::string::npos)
        << log.mensagens();
    EXPECT_TRUE(files.exists(outra))
        << "another database's leftovers are its own backup's to reclaim";
}

TEST_F(CopiaFalhasTest, TheCopyIsNoMoreOpenThanItsDatabaseNorANewFolderThanItsParent) {
    ::chmod(projecto.base_principal().c_str(), 0640);
    ::chmod(projecto.caminho.c_str(), 0710);
    regista("brasol.mdb",
            "BUP_CAMINHO_DESTINO=" + engine::quote_literal(projecto.caminho + "/novas/copias"));
    dialogs.queue_answer(Answer::Yes);
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(modo(projecto.caminho + "/novas"), 0710u);
    EXPECT_EQ(modo(projecto.caminho + "/novas/copias"), 0710u);
    EXPECT_EQ(modo(projecto.caminho + "/novas/copias/brasol200505191407.mdb"), 0640u);
}

TEST_F(CopiaFalhasTest, FieldsGoByNameWhateverTheirOrder) {
    redefine_distritos("cod_distrito SMALLINT NOT NULL, regiao TEXT(20), nome TEXT(30) NOT NULL");
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    const std::string sql =
        "select nome || '/' || coalesce(regiao, '') from distritos where cod_distrito = 3";
    EXPECT_EQ(valor(copia_feita(), sql).to_text(), valor(projecto.base_principal(), sql).to_text());
}

TEST_F(CopiaFalhasTest, AFieldOnOneSideOnly) {
    // Only in the copy's structure: its default, and the table is changed.
    redefine_distritos(
        "cod_distrito SMALLINT NOT NULL, nome TEXT(30) NOT NULL, regiao TEXT(20), "
        "pais TEXT(20) DEFAULT 'Portugal'");
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "Alteração na tabela distritos");
    EXPECT_EQ(
        valor(copia_feita(), "select count(*) from distritos where pais = 'Portugal'").to_integer(),
        projecto_teste.principal.linhas.at("distritos"));

    // Only in the live database: that table cannot be copied, as the
    // statement would fail; the copy is still the best to be had.
    redefine_distritos("cod_distrito SMALLINT NOT NULL, nome TEXT(30) NOT NULL");
    log.limpa();
    copia("brasol.mdb");
    EXPECT_EQ(
        log.erros().rfind(
            "Alteração na tabela distritos\r\nErros detectados ao copiar a tabela distritos na "
            "base de dados " +
                projecto.base_principal() + ".",
            0),
        0u)
        << log.erros();
    EXPECT_EQ(valor(copia_feita(), "select count(*) from distritos").to_integer(), 0);
}

TEST_F(CopiaFalhasTest, ADiskFullInTheMiddleOfAStatementNamesNothingAndKeepsTheGoodCopy) {
    create_directories(files, pasta_copias());
    testing::write_file(copia_feita(), "cópia boa do mesmo minuto");
    testing::FaultyVfs vfs;
    vfs.fail({testing::FaultyVfs::Write, pasta_copias(), 30, SQLITE_FULL, true});
    copia("brasol.mdb");
    EXPECT_GT(vfs.failures(), 0);
    EXPECT_EQ(log.erros(), "Não há espaço suficiente no disco da pasta " + pasta_copias() +
                               " para a cópia " + copia_feita() + " da base de dados " +
                               projecto.base_principal() + ". A cópia não foi guardada.");
    EXPECT_EQ(testing::read_file(copia_feita()), "cópia boa do mesmo minuto");
    EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"brasol200505191407.mdb"});
    EXPECT_TRUE(coluna("brasol.mdb", "BUP_ULT_DATA").is_null());
}

TEST_F(CopiaFalhasTest, AStructureInWalModeGivesACopyWithoutWalFiles) {
    {
        engine::Database estrutura = tp::abre_estrutura(projecto_teste.principal);
        estrutura.Execute("PRAGMA journal_mode=WAL");
    }
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"brasol200505191407.mdb"});
    // Bytes 18 and 19 of the header: 1 for a rollback journal, 2 for WAL.
    const std::string cabecalho = testing::read_file(copia_feita()).substr(18, 2);
    EXPECT_EQ(cabecalho, std::string("\x01\x01", 2));
}

TEST_F(CopiaFalhasTest, ASameMinuteCopyIsSwappedInOneStep) {
    create_directories(files, pasta_copias());
    testing::write_file(copia_feita(), "cópia anterior");
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(files.calls("exchange"), 1);
    EXPECT_EQ(files.calls("rename_no_replace"), 0) << "no instant without a copy under the name";
    EXPECT_NE(testing::read_file(copia_feita()), "cópia anterior");

    // Where the file system cannot swap, the two renames of before.
    testing::write_file(copia_feita(), "cópia anterior");
    files.fail("exchange", 0, EINVAL);
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_NE(testing::read_file(copia_feita()), "cópia anterior");
    EXPECT_EQ(ficheiros(pasta_copias()),
              (std::vector<std::string>{".brasol200505191407.mdb.lock", "brasol200505191407.mdb"}));
}

// The copy's new name was not confirmed by the disk: the copy stays (it is
// complete), the run fails, and no older copy goes on its strength.
TEST_F(CopiaFalhasTest, ANameTheDiskDidNotConfirmFailsTheRunAndDeletesNoOldCopy) {
    create_directories(files, pasta_copias());
    principal().Execute(
        "update BUPS set BUP_N_COPIAS_A_MANTER = 1 where BUP_NOME_BD = 'brasol.mdb'");
    const std::string antiga = pasta_copias() + "/brasol200001010000.mdb";
    cria_copia_antiga("brasol200001010000.mdb");
    files.fail("sync_folder", 0, EIO);
    copia("brasol.mdb");
    EXPECT_NE(log.erros().find("O disco não confirmou o novo nome " + copia_feita()),
              std::string::npos)
        << log.erros();
    EXPECT_TRUE(std::filesystem::exists(antiga));
    EXPECT_NO_THROW(linhas(copia_feita(), "turnos"));

    files.fail("sync_folder", -1);
    log.limpa();
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "");
    EXPECT_FALSE(std::filesystem::exists(antiga)) << "kept only while the new copy was unconfirmed";
}

TEST_F(CopiaFalhasTest, TheReplacedCopyThatCannotBeRemovedIsReclaimedByTheNextRun) {
    create_directories(files, pasta_copias());
    testing::write_file(copia_feita(), "cópia anterior");
    files.fail("remove", 0, EACCES);
    copia("brasol.mdb");
    EXPECT_EQ(log.erros(), "") << "the new copy is in place: only the old one is left";
    EXPECT_NO_THROW(linhas(copia_feita(), "turnos"));
    files.fail("remove", -1);
    copia("brasol.mdb");
    EXPECT_NE(log.mensagens().find("Foram apagados "), std::string::npos) << log.mensagens();
    EXPECT_EQ(ficheiros(pasta_copias()),
              (std::vector<std::string>{".brasol200505191407.mdb.lock", "brasol200505191407.mdb"}));
}

TEST_F(CopiaFalhasTest, OtherUsersCommitWhileTheCopyIsFilledAndTheCopyIsOfOneMoment) {
    const std::int64_t turnos = projecto_teste.principal.linhas.at("turnos");
    bool escreveu = false;
    ProgressoComAccao progresso([&](const std::string& etapa) {
        if (escreveu || etapa != "Apagar dados") return;
        // Another user of the live database, who waits at most a moment.
        engine::Database outro = tp::abre(projecto_teste.principal);
        outro.Execute("PRAGMA busy_timeout=200");
        outro.Execute("delete from turnos where rowid = (select min(rowid) from turnos)");
        escreveu = true;
    });
    copia_com(progresso);
    EXPECT_TRUE(escreveu);
    EXPECT_EQ(log.erros(), "");
    EXPECT_EQ(linhas(projecto.base_principal(), "turnos"), turnos - 1);
    EXPECT_EQ(linhas(copia_feita(), "turnos"), turnos)
        << "the copy holds the moment it began reading";
}

TEST_F(CopiaFalhasTest, StatisticsThatCannotBeWrittenHaveALineOfTheirOwn) {
    engine::Database so_leitura =
        engine::OpenDatabase(projecto.base_principal(), false, true, projecto.ligacao());
    engine::Recordset rs = so_leitura.OpenRecordset("select * from BUPS");
    ASSERT_TRUE(rs.FindFirst("BUP_NOME_BD='brasol.mdb'"));
    backup::Progresso sem_progresso;
    backup::CopiaBaseDados(services, projecto, log, sem_progresso).copia(rs);
    EXPECT_EQ(
        log.erros().rfind(
            "A cópia " + copia_feita() +
                " foi guardada, mas não foi possível registar a data "
                "e as estatísticas da cópia no registo de cópias (tabela BUPS da base de dados " +
                projecto.base_principal() + "). ",
            0),
        0u)
        << log.erros();
    EXPECT_TRUE(files.exists(copia_feita()));
}

TEST_F(CopiaFalhasTest, ASignalDuringTheFillStopsTheRunCleanly) {
    ProgressoComAccao progresso([](const std::string& etapa) {
        if (etapa == "turnos") ::raise(SIGTERM);
    });
    engine::Database db = principal();
    engine::Recordset rs = db.OpenRecordset("select * from BUPS");
    backup::CopiaBaseDados copia(services, projecto, log, progresso);
    const auto fim = backup::executa_copias({"brasol.mdb", "log.mdb"}, rs, copia, log, dialogs);
    EXPECT_EQ(fim, backup::FimExecucao::Interrompida);
    EXPECT_EQ(engine::interruption_requested(), SIGTERM);
    engine::clear_interruption();
    EXPECT_EQ(log.erros(), "A cópia de segurança da base de dados " + projecto.base_principal() +
                               " foi interrompida. A cópia " + copia_feita() +
                               " não foi guardada.");
    EXPECT_TRUE(ficheiros(pasta_copias()).empty())
        << "log.mdb is not begun; nothing of brasol.mdb is left";
    struct sigaction depois {};
    sigaction(SIGTERM, nullptr, &depois);
    EXPECT_EQ(depois.sa_handler, SIG_DFL) << "the handler the process had is back";
}

}  // namespace
}  // namespace pezolva
