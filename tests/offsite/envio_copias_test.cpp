#include "offsite/envio_copias.h"

#include <gtest/gtest.h>

#include "../backup/backup_fixture.h"
#include "engine/interruption.h"
#include "offsite/copias_fora.h"
#include "offsite/etiquetas.h"
#include "offsite/restic.h"
#include "repositorio_fixture.h"
#include "restic_falso.h"
#include "restore/reposicao.h"

namespace pezolva::offsite {
namespace {

// A test project whose copies also go to a local repository.
class EnvioCopiasTest : public RepositorioFixture {
  protected:
    EnvioCopiasTest() { regista(testproject::kPrincipal, "BUP_N_COPIAS_A_MANTER=2"); }
    Restic restic() { return Restic(processos, config.repositorio, config.ficheiro_password); }
    ResumoEnvio envia() {
        log.limpa();
        // As a run does: the project's file read afresh, with what earlier runs recorded.
        return envia_para_fora(services, projecto, *le_configuracao(files, projecto.caminho),
                               processos, log);
    }
    std::vector<CopiaFora> fora() {
        Restic r = restic();
        return lista_copias_fora(r, projecto.projecto);
    }
    std::vector<CopiaFora> fora_de(const std::string& bd) {
        std::vector<CopiaFora> v;
        for (const auto& c : fora()) {
            if (c.bd == bd) v.push_back(c);
        }
        return v;
    }
    // A copy of the main database at the clock's minute, then a minute on.
    std::string copia_principal() {
        copia(testproject::kPrincipal);
        const std::string nome = "brasol" + t.clock.now().stamp() + ".mdb";
        t.clock.advance_seconds(60);
        return nome;
    }
};

TEST_F(EnvioCopiasTest, EachNamedCopyGoesOffSiteOnceAndTheRegistersNumberIsKeptThere) {
    const std::string primeira = copia_principal();
    ResumoEnvio r = envia();
    EXPECT_TRUE(log.sem_erros()) << log.erros();
    EXPECT_GE(r.enviadas, 1);
    EXPECT_GT(r.bytes_novos, 0u);
    EXPECT_NE(log.mensagens().find("Cópia " + primeira + " enviada para o repositório"),
              std::string::npos)
        << log.mensagens();
    EXPECT_NE(log.mensagens().find("bytes novos"), std::string::npos);
    // Nothing new on disk: nothing is sent again.
    r = envia();
    EXPECT_EQ(r.enviadas, 0);
    const std::string base = "brasol";
    copia_principal();
    const std::string terceira = copia_principal();
    envia();
    const auto guardadas = fora_de(base);
    ASSERT_EQ(guardadas.size(), 2u) << "the register keeps 2";
    EXPECT_EQ(guardadas.front().nome_fich, terceira);
    // The register and the structure databases went along.
    Restic rr = restic();
    EXPECT_FALSE(rr.lista({kMarca, kTipoRegisto, etiqueta_projecto(projecto.projecto)}).empty());
    EXPECT_FALSE(rr.lista({kMarca, kTipoEstrutura, etiqueta_projecto(projecto.projecto)}).empty());
}

TEST_F(EnvioCopiasTest, ACopyMadeAgainInTheSameMinuteReplacesItsOffSiteTwin) {
    copia(testproject::kPrincipal);
    envia();
    principal().Execute("create table feita_depois (x)");
    copia(testproject::kPrincipal);  // the clock has not moved: the same name
    const ResumoEnvio r = envia();
    EXPECT_TRUE(log.sem_erros()) << log.erros();
    EXPECT_EQ(r.enviadas, 1);
    EXPECT_EQ(fora_de("brasol").size(), 1u) << "the older twin was forgotten";
}

TEST_F(EnvioCopiasTest, AnUnreachableRepositoryCostsNoLocalCopyAndTheNextRunCatchesUp) {
    const std::string nome = copia_principal();
    processos.falha = [](const PedidoProcesso&) -> std::optional<ResultadoProcesso> {
        return testing::ResticFalso::restic_diz(
            "subprocess ssh: ssh: connect to host 127.0.0.1 port 22: Connection refused\n"
            "Fatal: unable to open repository at sftp:x@127.0.0.1:/r: unable to start the sftp "
            "session, error: EOF\n");
    };
    envia();
    EXPECT_NE(log.erros().find("Não foi possível chegar ao repositório"), std::string::npos)
        << log.erros();
    EXPECT_TRUE(files.exists(pasta_copias() + "/" + nome));
    processos.falha = nullptr;
    const ResumoEnvio r = envia();
    EXPECT_TRUE(log.sem_erros()) << log.erros();
    EXPECT_GE(r.enviadas, 1);
    bool la = false;
    for (const auto& c : fora()) la = la || c.nome_fich == nome;
    EXPECT_TRUE(la);
}

TEST_F(EnvioCopiasTest, EachKindOfFailureIsOneLineInPortuguese) {
    copia_principal();
    const std::pair<std::string, std::string> casos[] = {
        {"Fatal: wrong password or no key found\n", "palavra-passe do repositório"},
        {"Fatal: unable to save snapshot: no space left on device\n", "Não há espaço"},
        {"Fatal: unable to open config file: stat /r/config: no such file or directory\n"
         "Is there a repository at the following location?\n/r\n",
         "Não existe um repositório"},
    };
    for (const auto& [ingles, portugues] : casos) {
        processos.falha = [&](const PedidoProcesso&) -> std::optional<ResultadoProcesso> {
            return testing::ResticFalso::restic_diz(ingles);
        };
        envia();
        EXPECT_NE(log.erros().find(portugues), std::string::npos) << log.erros();
        EXPECT_EQ(log.erros().find('\n'), std::string::npos) << "one line";
    }
    processos.falha = [](const PedidoProcesso&) { return testing::ResticFalso::nao_instalado(); };
    envia();
    EXPECT_NE(log.erros().find("restic não está instalado"), std::string::npos);
}

TEST_F(EnvioCopiasTest, AnInterruptedUploadListsNothingAndTheNextRunCompletesIt) {
    const std::string nome = copia_principal();
    processos.falha = [](const PedidoProcesso& p) -> std::optional<ResultadoProcesso> {
        if (testing::ResticFalso::subcomando(p) != "backup") return std::nullopt;
        engine::request_interruption(SIGTERM);
        ResultadoProcesso r = testing::ResticFalso::restic_diz("");
        r.interrompido_por = SIGTERM;
        return r;
    };
    const ResumoEnvio r = envia();
    EXPECT_EQ(r.interrompido_por, SIGTERM);
    engine::clear_interruption();
    EXPECT_TRUE(fora().empty());
    processos.falha = nullptr;
    envia();
    ASSERT_FALSE(fora().empty());
    EXPECT_EQ(fora().front().nome_fich, nome);
}

TEST_F(EnvioCopiasTest, PruningTakesTheLockAtMostOnceADay) {
    copia_principal();
    envia();
    envia();
    EXPECT_EQ(processos.quantos("prune"), 1);
    t.clock.advance_seconds(24 * 3600);
    envia();
    EXPECT_EQ(processos.quantos("prune"), 2);
    // Another user's run holding the lock costs a day's prune, not the run.
    t.clock.advance_seconds(24 * 3600);
    processos.falha = [](const PedidoProcesso& p) -> std::optional<ResultadoProcesso> {
        if (testing::ResticFalso::subcomando(p) != "prune") return std::nullopt;
        return testing::ResticFalso::restic_diz(
            "unable to create lock in backend: repository is already locked exclusively by PID "
            "7\n");
    };
    envia();
    EXPECT_TRUE(log.sem_erros()) << log.erros();
}

TEST_F(EnvioCopiasTest, ACopyDeletedLocallyIsStillRestorableFromTheRepository) {
    const std::string nome = copia_principal();
    envia();
    files.remove(pasta_copias() + "/" + nome);
    // The live database changes after the copy: the restore must bring the copy's rows back.
    principal().Execute("create table depois_da_copia (x)");
    const auto copias = fora();
    ASSERT_FALSE(copias.empty());
    Restic r = restic();
    const auto falha = repoe_de_fora(services, projecto, r, copias.front());
    EXPECT_FALSE(falha) << *falha;
    EXPECT_THROW(principal().Execute("select * from depois_da_copia"), engine::EngineError);
    for (const std::string& f : ficheiros(projecto.caminho)) {
        EXPECT_EQ(f.find("pezolva-fora"), std::string::npos) << "the fetched file is gone";
    }
}

}  // namespace
}  // namespace pezolva::offsite
