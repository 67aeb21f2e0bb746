#include "restore/sobras_reposicao.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "engine/lock_file.h"
#include "reposicao_fixture.h"
#include "support/fixtures.h"
#include "support/sem_privilegios.h"

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
        const engine::Leftovers feito = recupera_reposicoes(files, dir.file("proj"));
        EXPECT_EQ(feito.removed, 3);
        EXPECT_EQ(feito.left, 0);
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
        const engine::Leftovers feito = recupera_reposicoes(files, dir.file("proj"));
        EXPECT_EQ(feito.removed, 0);
        EXPECT_EQ(feito.left, 2) << "the copy and its lock";
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
            EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")).removed, 0);
            EXPECT_TRUE(std::filesystem::exists(buscado)) << "a live fetch is left alone";
        }
        EXPECT_EQ(recupera_reposicoes(files, dir.file("proj")).removed, 2)
            << "the copy and its lock";
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

// Another user's leftovers whose lock this user cannot open for writing
// (made private): nobody can tell whether a live restore holds them, so
// they stay, and the clean-up says how many it left.
TEST_F(SobrasReposicaoTest, LeftoversWhoseLockCannotBeAskedAreLeftCountedAndSaid) {
    if (::geteuid() != 0)
        GTEST_SKIP()
            << "a second user needs root to become it (setpriv): the owner of a private lock "
               "can always open it, so as one user nothing is left that cannot be asked";
    const std::string novo = temporario_reposicao(bd(), 9);
    std::filesystem::copy_file(copia(), novo);
    ::chmod(dir.str().c_str(), 0755);
    testing::entrega_ao_utilizador_comum(dir.file("proj"));
    // The other user's: root's, 0600.
    testing::write_file(engine::companion_path(novo), "");
    ::chmod(engine::companion_path(novo).c_str(), 0600);
    const std::string aviso = "Ficaram 2 ficheiros temporários na pasta " + dir.file("proj") +
                              " que outra reposição pode estar a usar.";
    // 0: both files left, counted, and said once as information.
    const int resultado = testing::como_utilizador_comum([&] {
        const engine::Leftovers feito = recupera_reposicoes(files, dir.file("proj"));
        if (feito.removed != 0 || feito.left != 2) return 1;
        testing::TestServices t;
        recupera_e_avisa(t.services, dir.file("proj"));
        if (t.dialogs.shown().size() != 1) return 2;
        const Message& m = t.dialogs.shown()[0];
        if (m.text != aviso) {
            std::fprintf(stderr, "%s\n", m.text.c_str());
            return 3;
        }
        return m.icon == Icon::Information && m.title == "Atenção" ? 0 : 4;
    });
    EXPECT_EQ(resultado, 0);
    EXPECT_TRUE(std::filesystem::exists(novo));
    EXPECT_TRUE(std::filesystem::exists(engine::companion_path(novo)));
    EXPECT_EQ(quem(bd()), "viva");

    // Its owner, who can ask the lock, reclaims them.
    const engine::Leftovers feito = recupera_reposicoes(files, dir.file("proj"));
    EXPECT_EQ(feito.removed, 2);
    EXPECT_EQ(feito.left, 0);
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

// Nothing left: nothing said.
TEST_F(SobrasReposicaoTest, ACleanUpThatLeftNothingSaysNothing) {
    std::filesystem::copy_file(copia(), temporario_reposicao(bd(), 5));
    testing::TestServices t;
    recupera_e_avisa(t.services, dir.file("proj"));
    EXPECT_TRUE(t.dialogs.shown().empty());
    EXPECT_EQ(ficheiros(), (std::vector<std::string>{".brasol.mdb.lock", "brasol.mdb"}));
}

}  // namespace
}  // namespace pezolva::restore
