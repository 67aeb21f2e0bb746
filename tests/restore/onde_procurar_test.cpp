#include "restore/onde_procurar.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "backup/backup_fixture.h"
#include "engine/database.h"
#include "restore/copias_encontradas.h"
#include "restore/reposicao.h"

namespace pezolva::restore {
namespace {

// A test project with its register, as the backup tests build it.
class OndeProcurarTest : public testing::BackupFixture {};

TEST_F(OndeProcurarTest, TheProjectFolderThenEachLastDestinationOnce) {
    {
        engine::Database db =
            engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
        db.Execute(
            "update BUPS set BUP_ULT_DESTINO = '/copias/A' where BUP_NOME_BD = 'brasol.mdb'");
        db.Execute("update BUPS set BUP_ULT_DESTINO = '/COPIAS/a' where BUP_NOME_BD = 'log.mdb'");
    }
    const OndeProcurar onde = onde_procurar(projecto);
    EXPECT_FALSE(onde.sem_registo);
    EXPECT_EQ(onde.pastas, (std::vector<std::string>{projecto.caminho, "/copias/A"}));
    EXPECT_EQ(onde.bases.size(), 3u);
    EXPECT_EQ(onde.ligacoes.at("brasol.mdb"), projecto.ligacao());
}

TEST_F(OndeProcurarTest, ADamagedMainDatabaseIsRestoredFromTheCopiesFolder) {
    const std::string copias = projecto.caminho + "/copiaseg";
    std::filesystem::create_directories(copias);
    std::filesystem::copy_file(projecto.base_principal(), copias + "/brasol200505191407.mdb");
    testing::write_file(projecto.base_principal(), std::string(8192, '\0'));  // damaged

    const OndeProcurar onde = onde_procurar(projecto);
    EXPECT_TRUE(onde.sem_registo);
    LocalFileSystem files;
    const auto encontradas = procura_copias(files, onde.pastas, onde.bases, ".");
    ASSERT_EQ(encontradas.size(), 1u);
    const CopiaEncontrada& c = encontradas.front();
    EXPECT_EQ(repoe_copia(files, {join_path(c.caminho, c.nome_fich), projecto.caminho, c.bd,
                                  onde.ligacoes.at(projecto.nome_bd), 7}),
              std::nullopt);
    engine::Database db =
        engine::OpenDatabase(projecto.base_principal(), false, true, projecto.ligacao());
    EXPECT_FALSE(db.OpenRecordset("select * from BUPS").IsEOF());
}

TEST_F(OndeProcurarTest, AWrongPasswordIsRefusedNotTakenForDamage) {
    ProjectoActual errado = projecto;
    errado.passwd = "não é esta";
    try {
        onde_procurar(errado);
        ADD_FAILURE() << "a wrong password was taken for a damaged database";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.numero(), engine::ErroPalavraPasse);
    }
}

}  // namespace
}  // namespace pezolva::restore
