// The start-up reminder as a host calls it: the question, and where each
// answer leads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "backup/ui/conf_copias.h"
#include "interface/estado.h"
#include "offsite/configuracao.h"
#include "offsite/copias_fora.h"
#include "offsite/restic.h"
#include "pezolva/mnt.h"
#include "support/fixtures.h"
#include "testproject/projecto_teste.h"

namespace pezolva {
namespace {

class LembreteMntTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testproject::cria_projecto(pasta());
        t.settings.save("obras", "setup", "ORIGEM", "PRINCIPAL");
        std::string c = pasta(), p = "obras", n = "brasol.mdb", d = "Obras",
                    w = testproject::kPassePrincipal;
        bool launcher = false;
        ASSERT_TRUE(m.actualiza_path(c, p, n, d, w, launcher));
        t.dialogs.clear();
        create_directories(t.files, pasta() + "/copiaseg");
    }
    std::string pasta() { return t.dir.file("obras"); }

    // Watches for the backup window while `accao` runs: notes the form it
    // opened in and closes it once its run (if any) is over.
    void com_janela(const std::function<void()>& accao) {
        QTimer vigia;
        vigia.setInterval(20);
        QObject::connect(&vigia, &QTimer::timeout, [&] {
            auto* janela = qobject_cast<conf_copias*>(QApplication::activeModalWidget());
            if (janela == nullptr) return;
            const bool compacta = janela->findChild<QWidget*>("Frame4")->isVisibleTo(janela);
            auto* concluir = janela->findChild<QPushButton*>("Command5");
            auto* fechar = janela->findChild<QPushButton*>("Command2");
            if (compacta && concluir->isEnabled()) {
                formas.push_back("compacta");
                concluir->click();
            } else if (!compacta && fechar->isEnabled()) {
                formas.push_back("completa");
                fechar->click();
            }
        });
        vigia.start();
        accao();
    }

    testing::TestServices t;
    ServicosSubstituidos substitutos{t.services};
    mnt m;
    std::vector<std::string> formas;
};

TEST_F(LembreteMntTest, FazerRunsTheCompactWindowOnTheDueDatabases) {
    t.dialogs.queue_choice(0);
    com_janela([&] { m.ver_existen_ficheiros_a_copiar(); });
    ASSERT_EQ(t.dialogs.choices_shown().size(), 1u);
    EXPECT_EQ(t.dialogs.choices_shown()[0].title, "Cópias de Segurança");
    EXPECT_EQ(estado().resposta, 0);
    EXPECT_EQ(formas, std::vector<std::string>{"compacta"});
    EXPECT_EQ(t.files.list_files(pasta() + "/copiaseg").size(), 3u);
    // Nothing is due any more: the next start asks nothing.
    m.ver_existen_ficheiros_a_copiar();
    EXPECT_EQ(t.dialogs.choices_shown().size(), 1u);
}

TEST_F(LembreteMntTest, ConfigurarOpensTheFullWindowAndCopiesNothing) {
    t.dialogs.queue_choice(2);
    com_janela([&] { m.ver_existen_ficheiros_a_copiar(); });
    EXPECT_EQ(formas, std::vector<std::string>{"completa"});
    EXPECT_TRUE(t.files.list_files(pasta() + "/copiaseg").empty());
}

TEST_F(LembreteMntTest, NaoFazerAndCancelChangeNothingAndAskAgainNextTime) {
    for (int resposta : {1, -1}) {
        t.dialogs.queue_choice(resposta);
        com_janela([&] { m.ver_existen_ficheiros_a_copiar(); });
        EXPECT_EQ(estado().resposta, resposta);
    }
    EXPECT_TRUE(formas.empty());
    EXPECT_EQ(t.dialogs.choices_shown().size(), 2u);
    EXPECT_TRUE(t.files.list_files(pasta() + "/copiaseg").empty());
}

TEST_F(LembreteMntTest, AWorkstationThatMakesNoCopiesIsNeverAsked) {
    estado().projecto_actual.faz_copias = false;
    estado().projecto_actual.passwd = "errada";  // the database is not even opened
    m.ver_existen_ficheiros_a_copiar();
    EXPECT_TRUE(t.dialogs.choices_shown().empty());
}

TEST_F(LembreteMntTest, TheBackupOperationsTellWhetherTheRunSucceeded) {
    bool compacta = false;
    com_janela([&] { compacta = m.copia_segur_sem_fo(); });
    EXPECT_TRUE(compacta);
    bool completa = true;
    com_janela([&] { completa = m.copia_segur_com_fo(); });
    EXPECT_FALSE(completa) << "no run took place in the full window";
}

// A window's run sends its copies off-site once it closes; a repository
// that cannot be reached is said, and the run counts as failed.
TEST_F(LembreteMntTest, TheWindowsCopiesGoOffSiteWhenItCloses) {
    testing::write_file(t.dir.file("repo.pw"), "frase\n");
    offsite::ConfiguracaoOffsite config;
    config.repositorio = t.dir.file("repo");
    config.ficheiro_password = t.dir.file("repo.pw");
    offsite::ProcessosReais processos;
    offsite::Restic restic(processos, config.repositorio, config.ficheiro_password);
    restic.init();
    offsite::grava_configuracao(t.files, pasta(), config);
    bool compacta = false;
    com_janela([&] { compacta = m.copia_segur_sem_fo(); });
    EXPECT_TRUE(compacta);
    EXPECT_EQ(offsite::lista_copias_fora(restic, "obras").size(), 3u);

    config.repositorio = t.dir.file("longe");
    offsite::grava_configuracao(t.files, pasta(), config);
    t.clock.advance_seconds(40 * 24 * 3600);  // due again
    t.dialogs.clear();
    com_janela([&] { compacta = m.copia_segur_sem_fo(); });
    EXPECT_FALSE(compacta);
    ASSERT_FALSE(t.dialogs.shown().empty());
    EXPECT_NE(
        t.dialogs.shown().back().text.find("Não existe um repositório em " + config.repositorio),
        std::string::npos)
        << t.dialogs.shown().back().text;
}

}  // namespace
}  // namespace pezolva
