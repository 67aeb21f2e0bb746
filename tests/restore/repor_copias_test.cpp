#include "restore/repor_copias.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "backup/backup_fixture.h"
#include "engine/database.h"

namespace pezolva::restore {
namespace {

// The restore window's logic on a test project with three copies in its
// copies folder: two of the main database, one of the log.
class ReporCopiasTest : public testing::BackupFixture {
  protected:
    ReporCopiasTest() {
        cria_copia_antiga("brasol200505191407.mdb");
        cria_copia_antiga("brasol200612312359.mdb");
        create_directories(files, pasta_copias());
        files.copy_file(projecto_teste.log.caminho, pasta_copias() + "/log200601010000.mdb");
        regista(testproject::kPrincipal,
                "BUP_ULT_DESTINO=" + engine::quote_literal(pasta_copias()));
        // The main database differs from its copies from now on.
        principal().Execute("update BUPS set BUP_N_DIAS_INTERVALO = 99");
    }
    void activa() {
        ASSERT_TRUE(janela.primeira_activacao());
        janela.prepara_lista();
        janela.procura_copias({});
    }
    std::vector<std::string> nomes() const {
        std::vector<std::string> n;
        for (const CopiaEncontrada& c : janela.copias()) n.push_back(c.nome_fich);
        return n;
    }
    std::optional<std::size_t> indice(const std::string& nome) const {
        for (std::size_t i = 0; i < janela.copias().size(); ++i) {
            if (janela.copias()[i].nome_fich == nome) return i;
        }
        return std::nullopt;
    }
    std::string ultima_mensagem() const { return dialogs.shown().back().text; }

    ReporCopias janela{services, projecto, "."};
};

TEST_F(ReporCopiasTest, HeadingsSortKeepingTheDirectionForANewColumnAndFlippingItForTheSame) {
    activa();
    EXPECT_EQ(nomes(), (std::vector<std::string>{"brasol200612312359.mdb", "log200601010000.mdb",
                                                 "brasol200505191407.mdb"}))
        << "newest first";
    janela.clique_cabecalho(2);
    EXPECT_EQ(janela.sentido_ordem(), 0);
    EXPECT_EQ(nomes().front(), "brasol200505191407.mdb");
    janela.clique_cabecalho(2);
    EXPECT_EQ(nomes().front(), "brasol200612312359.mdb");

    janela.clique_cabecalho(1);  // "BD", still descending
    EXPECT_EQ(janela.coluna_ordem(), 1);
    EXPECT_EQ(nomes().front(), "log200601010000.mdb");
    janela.clique_cabecalho(1);
    EXPECT_EQ(nomes().back(), "log200601010000.mdb");

    janela.clique_cabecalho(5);  // the visible size sorts by number, still ascending
    const auto& c = janela.copias();
    for (std::size_t i = 1; i < c.size(); ++i) EXPECT_LE(c[i - 1].bytes, c[i].bytes);
}

TEST_F(ReporCopiasTest,
       FoldersAreAddedOnceRemovedBySelectionAndTheBrowserCancelGivesTheProjectBack) {
    activa();
    const std::size_t antes = janela.pastas().size();
    dialogs.queue_folder(projecto.caminho + "/COPIASEG");
    EXPECT_TRUE(janela.adiciona_pasta()) << "searched again even when nothing was added";
    EXPECT_EQ(janela.pastas().size(), antes);
    EXPECT_EQ(dialogs.folder_requests().back().start, projecto.caminho);
    EXPECT_EQ(dialogs.folder_requests().back().prompt, "Seleccione a pasta");

    EXPECT_FALSE(janela.remove_pasta(std::nullopt));
    ASSERT_TRUE(janela.remove_pasta(0));
    EXPECT_EQ(janela.pastas().front(), pasta_copias());
    dialogs.queue_folder(std::nullopt);  // cancelled: the project folder comes back
    EXPECT_TRUE(janela.adiciona_pasta());
    EXPECT_EQ(janela.pastas().back(), projecto.caminho);
}

TEST_F(ReporCopiasTest, ASearchStopsWhenThePanelSaysSoAndAlwaysTakesThePanelDown) {
    janela.prepara_lista();
    int pastas = 0, fins = 0, maximo = 0;
    PainelProcura painel{[&](int m) { maximo = m; },
                         [&](const std::string&, int) { return ++pastas < 2; }, [&] { ++fins; }};
    EXPECT_FALSE(janela.procura_copias(painel));
    EXPECT_EQ(pastas, 2);
    EXPECT_EQ(fins, 1);
    EXPECT_EQ(maximo, 3 * 2) << "register rows times folders";
}

TEST_F(ReporCopiasTest, RestoreAsksFirstAndOnlyYesReplacesTheDatabase) {
    const std::string antes = testing::read_file(projecto.base_principal());
    janela.prepara_lista();
    EXPECT_FALSE(janela.repor(0)) << "an empty list";
    EXPECT_EQ(ultima_mensagem(), kSemSeleccao);
    janela.procura_copias({});
    EXPECT_FALSE(janela.repor(std::nullopt));
    EXPECT_EQ(ultima_mensagem(), kSemSeleccao);

    const auto copia = indice("brasol200505191407.mdb");
    for (Answer resposta : {Answer::No, Answer::Cancel}) {
        dialogs.queue_answer(resposta);
        EXPECT_FALSE(janela.repor(copia));
        EXPECT_TRUE(testing::read_file(projecto.base_principal()) == antes);
    }
    const Message& pergunta = dialogs.shown().back();
    EXPECT_EQ(pergunta.text, pergunta_reposicao());
    EXPECT_EQ(pergunta.buttons, Buttons::YesNoCancel);
    EXPECT_EQ(pergunta.default_answer, Answer::No);

    {
        engine::Database aberta = principal();  // the host has it open
        dialogs.queue_answer(Answer::Yes);
        EXPECT_FALSE(janela.repor(copia));
        EXPECT_EQ(ultima_mensagem().rfind(falha_reposicao(), 0), 0u) << ultima_mensagem();
        EXPECT_TRUE(testing::read_file(projecto.base_principal()) == antes);
    }
    dialogs.queue_answer(Answer::Yes);
    EXPECT_TRUE(janela.repor(copia));
    EXPECT_EQ(ultima_mensagem(), kCopiaConcluida);
    // The copy took the database's place, with the live register carried
    // into it (the copy's own had the interval from before).
    EXPECT_FALSE(testing::read_file(projecto.base_principal()) == antes);
    EXPECT_EQ(coluna(testproject::kPrincipal, "BUP_N_DIAS_INTERVALO").to_text(), "99");
    EXPECT_EQ(nomes().size(), 3u) << "the list is kept, to restore again at once";

    dialogs.queue_answer(Answer::Yes);  // the log, with its own password
    EXPECT_TRUE(janela.repor(indice("log200601010000.mdb")));
    EXPECT_TRUE(testing::read_file(projecto_teste.log.caminho) ==
                testing::read_file(pasta_copias() + "/log200601010000.mdb"));
}

TEST_F(ReporCopiasTest, AnUnreadableRegisterIsToldOnceAndTheMainDatabaseCanStillBeRestored) {
    testing::write_file(projecto.base_principal(), std::string(8192, '\0'));
    janela.prepara_lista();
    janela.prepara_lista();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().text, kSemBaseActual);
    janela.procura_copias({});
    EXPECT_EQ(nomes(),
              (std::vector<std::string>{"brasol200612312359.mdb", "brasol200505191407.mdb"}));
    dialogs.queue_answer(Answer::Yes);
    EXPECT_TRUE(janela.repor(0));
    engine::Database db = principal();
    EXPECT_FALSE(db.OpenRecordset("select * from BUPS").IsEOF());
}

// The other windows of the session open the main database next, with no
// start in between: a register that could not be carried is made at once.
TEST_F(ReporCopiasTest, AMainDatabaseWhoseRegisterCouldNotBeCarriedGetsAFreshOneAtOnce) {
    {
        engine::Database copia = engine::OpenDatabase(pasta_copias() + "/brasol200505191407.mdb",
                                                      false, false, projecto.ligacao());
        copia.Execute("drop table BUPS");  // as the backup makes them
    }
    testing::write_file(projecto.base_principal(), std::string(8192, '\0'));  // damaged
    activa();
    dialogs.queue_answer(Answer::Yes);
    EXPECT_TRUE(janela.repor(indice("brasol200505191407.mdb")));
    EXPECT_EQ(ultima_mensagem(), copia_concluida(true));
    EXPECT_FALSE(principal().OpenRecordset("select * from BUPS").IsEOF());
}

}  // namespace
}  // namespace pezolva::restore
