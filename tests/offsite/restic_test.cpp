#include "offsite/restic.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "restic_falso.h"
#include "support/temp_dir.h"

namespace pezolva::offsite {
namespace {

class ResticTest : public ::testing::Test {
  protected:
    ResticTest() {
        testing::write_file(password, "cavalo-correcto-bateria\n");
        testing::write_file(errada, "outra\n");
    }
    Restic restic(const std::string& repo, const std::string& pw) {
        return Restic(processos, repo, pw);
    }
    Falha falha_de(const std::function<void()>& f) {
        try {
            f();
        } catch (const ErroRestic& e) {
            return e.falha();
        }
        ADD_FAILURE() << "no failure";
        return Falha::Outra;
    }

    testing::TempDir dir;
    std::string repo = dir.file("repo");
    std::string password = dir.file("repo.pw");
    std::string errada = dir.file("errada.pw");
    testing::ResticFalso processos;
};

TEST_F(ResticTest, RealResticsFailuresAreToldApartAndSaidInPortuguese) {
    restic(repo, password).init();
    EXPECT_EQ(falha_de([&] { restic(repo, password).init(); }), Falha::JaExiste);
    EXPECT_EQ(falha_de([&] { restic(repo, errada).abre(); }), Falha::PasswordErrada);
    EXPECT_EQ(falha_de([&] { restic(dir.file("nada"), password).abre(); }), Falha::SemRepositorio);
    // A port nobody listens on, through ssh in batch mode.
    Restic longe(processos, "sftp:ninguem@127.0.0.1:/repo", password,
                 "ssh -p 1 -o BatchMode=yes ninguem@127.0.0.1 -s sftp");
    EXPECT_EQ(falha_de([&] { longe.abre(); }), Falha::Inacessivel);
    try {
        restic(repo, errada).abre();
    } catch (const ErroRestic& e) {
        EXPECT_STREQ(e.what(),
                     ("A palavra-passe do repositório " + repo + " está errada.").c_str());
        EXPECT_NE(e.detalhe().find("wrong password"), std::string::npos);
    }
}

TEST_F(ResticTest, ResticNotInstalledIsAFailureOfItsOwn) {
    processos.falha = [](const PedidoProcesso&) { return testing::ResticFalso::nao_instalado(); };
    try {
        restic(repo, password).abre();
        FAIL();
    } catch (const ErroRestic& e) {
        EXPECT_EQ(e.falha(), Falha::SemRestic);
        EXPECT_NE(std::string(e.what()).find("restic não está instalado"), std::string::npos);
    }
}

TEST_F(ResticTest, ThePasswordTravelsOnlyAsItsFilesPathInACleanEnvironment) {
    ::setenv("PEZOLVA_PASSWORD", "segredo-da-base", 1);
    restic(repo, password).init();
    ::unsetenv("PEZOLVA_PASSWORD");
    ASSERT_EQ(processos.pedidos.size(), 1u);
    const PedidoProcesso& p = processos.pedidos.front();
    for (const std::string& e : p.ambiente) {
        const std::string nome = e.substr(0, e.find('='));
        EXPECT_TRUE(nome == "PATH" || nome == "HOME" || nome == "LC_ALL" ||
                    nome == "RESTIC_PASSWORD_FILE")
            << e;
    }
    EXPECT_NE(std::find(p.ambiente.begin(), p.ambiente.end(), "RESTIC_PASSWORD_FILE=" + password),
              p.ambiente.end());
    for (const std::string& a : p.argumentos) {
        EXPECT_EQ(a.find("cavalo"), std::string::npos);
        EXPECT_EQ(a.find(password), std::string::npos) << "not even the file's path on argv";
    }
}

TEST_F(ResticTest, SendListForgetAndFetchAgainstARealRepository) {
    Restic r = restic(repo, password);
    r.init();
    const std::string f = dir.file("brasol200505191407.mdb");
    testing::write_file(f, std::string(200000, 'x'));
    const Envio primeiro =
        r.envia(f, {"pezolva", "bd=brasol", "carimbo=200505191407"}, "2005-05-19 14:07:00");
    EXPECT_GT(primeiro.bytes_novos, 0u);
    EXPECT_EQ(primeiro.bytes, 200000u);
    // The same bytes again cost (almost) nothing: restic deduplicates.
    const Envio segundo =
        r.envia(f, {"pezolva", "bd=brasol", "carimbo=200505191408"}, "2005-05-19 14:08:00");
    EXPECT_LT(segundo.bytes_novos, primeiro.bytes_novos / 10);
    EXPECT_EQ(r.lista({"pezolva", "bd=brasol"}).size(), 2u);
    EXPECT_EQ(r.lista({"pezolva", "bd=outra"}).size(), 0u);
    r.esquece({"pezolva", "bd=brasol"}, 1, false);
    const auto ficou = r.lista({"pezolva"});
    ASSERT_EQ(ficou.size(), 1u);
    EXPECT_NE(
        std::find(ficou[0].etiquetas.begin(), ficou[0].etiquetas.end(), "carimbo=200505191408"),
        ficou[0].etiquetas.end())
        << "the newest by the copy's own time is kept";
    testing::write_file(dir.file("trazida"), "");
    const int fd = ::open(dir.file("trazida").c_str(), O_WRONLY | O_TRUNC);
    r.extrai(ficou[0].id, ficou[0].caminhos[0], fd);
    ::close(fd);
    EXPECT_EQ(testing::read_file(dir.file("trazida")), std::string(200000, 'x'));
    EXPECT_FALSE(r.verifica(std::string("10%")).empty());
}

TEST(ClassificaTest, TheRepositoryFullAndLockedAreRecognised) {
    EXPECT_EQ(
        classifica("Fatal: unable to save snapshot: write /r/data/ab/x: no space left on device"),
        Falha::Cheio);
    EXPECT_EQ(
        classifica(
            "unable to create lock in backend: repository is already locked exclusively by PID 4"),
        Falha::Bloqueado);
    EXPECT_EQ(classifica("Fatal: something else entirely"), Falha::Outra);
}

}  // namespace
}  // namespace pezolva::offsite
