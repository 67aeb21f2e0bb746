#include "restore/sobras_reposicao.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/lock_file.h"
#include "reposicao_fixture.h"

namespace pezolva::restore {
namespace {

using SobrasReposicaoTest = ReposicaoTest;

// What a restore killed at each point leaves, and what the next run makes
// of it: the database is never lost, and nothing stays for the user.
TEST_F(SobrasReposicaoTest, LeftoversOfAKilledRestoreAreReclaimedAndTheDatabaseNeverLost) {
    const std::string novo = temporario_reposicao(bd(), 7);
    const std::string anterior = anterior_reposicao(bd(), 7);
    {
        SCOPED_TRACE("killed between setting the old database aside and naming the new one");
        std::filesystem::rename(bd(), anterior);
        std::filesystem::copy_file(copia(), novo);
        testing::write_file(engine::companion_path(novo), "");
        EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")), 3);
        EXPECT_EQ(quem(bd()), "viva");
        EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
    }
    {
        SCOPED_TRACE("killed after naming the new one: the old one goes");
        std::filesystem::copy_file(bd(), anterior);
        recupera_reposicoes(files, dir.file("proj"));
        EXPECT_EQ(quem(bd()), "viva");
        EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
    }
    {
        SCOPED_TRACE("a live restore's files are left alone");
        std::filesystem::copy_file(copia(), novo);
        engine::CompanionLock viva(novo, engine::CompanionLock::Mode::Shared);
        EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")), 0);
        EXPECT_TRUE(std::filesystem::exists(novo));
    }
    {
        SCOPED_TRACE("a copy fetched from the repository by a killed restore goes once unheld");
        std::filesystem::remove(novo);  // the previous case's
        std::filesystem::remove(engine::companion_path(novo));
        const std::string buscado = buscado_reposicao(dir.file("proj/brasol"), 9);
        std::filesystem::copy_file(copia(), buscado);
        {
            engine::CompanionLock viva(buscado, engine::CompanionLock::Mode::Shared);
            EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")), 0);
            EXPECT_TRUE(std::filesystem::exists(buscado)) << "a live fetch is left alone";
        }
        EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")), 2) << "the copy and its lock";
        EXPECT_EQ(quem(bd()), "viva");
        EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
    }
    {
        SCOPED_TRACE("another file that only looks alike is never touched");
        testing::write_file(dir.file("proj/.brasol.mdb.pezolva-reposicao"), "meu");
        testing::write_file(dir.file("proj/brasol.mdb.0123456789abcdef.pezolva-reposicao"), "meu");
        recupera_reposicoes(files, dir.file("proj"));
        EXPECT_TRUE(std::filesystem::exists(dir.file("proj/.brasol.mdb.pezolva-reposicao")));
        EXPECT_TRUE(std::filesystem::exists(
            dir.file("proj/brasol.mdb.0123456789abcdef.pezolva-reposicao")));
    }
}

}  // namespace
}  // namespace pezolva::restore
