// The launcher's window program in the test's own process: the password
// question, the start and the main window, with scripted dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cctype>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "arranque.h"
#include "cli.h"
#include "comandos.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"
#include "pezolva/operacoes.h"
#include "support/fixtures.h"

namespace pezolva::cli {
namespace {

class JanelasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        create_directories(t.files, pasta());
        engine::CreateDatabase(pasta() + "/brasol.mdb", "kqa730418").Close();
        t.settings.save("ZOLVA", "Projectos", "Nomes", "obras");
        t.settings.save("ZOLVA", "obras", "path", pasta());
        t.settings.save("ZOLVA", "obras", "nome_bd", "brasol.mdb");
    }
    std::string pasta() { return t.dir.file("obras"); }

    // Runs the window program answering the password questions in order
    // (nullopt: cancelled) and recording them.
    int corre(std::deque<std::optional<std::string>> respostas,
              const std::function<void(JanelaPrincipal&)>& na_janela = {}) {
        const PedePalavraPasse pede = [&](const std::string& pergunta) {
            perguntas.push_back(pergunta);
            if (respostas.empty()) return std::optional<std::string>();
            const auto r = respostas.front();
            respostas.pop_front();
            return r;
        };
        return programa_janelas(
            m, pede,
            [&](JanelaPrincipal& janela) {
                ++janelas_mostradas;
                if (na_janela) na_janela(janela);
            },
            [&](const std::string& texto) { avisos.push_back(texto); });
    }
    // Answers each showing of the project chooser with the button of
    // `botoes` in turn ("Command1(0)" selects, "Command1(1)" cancels).
    void responde_escolhas(std::deque<QString> botoes) {
        auto* relogio = new QTimer(&relogios);
        QObject::connect(relogio, &QTimer::timeout, [this, relogio, botoes]() mutable {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->objectName() != "escolhe_proj" || botoes.empty()) return;
            ++escolhas_mostradas;
            modal->findChild<QPushButton*>(botoes.front())->click();
            botoes.pop_front();
            if (botoes.empty()) relogio->stop();
        });
        relogio->start(5);
    }

    testing::TestServices t;
    ServicosSubstituidos substitutos{t.services};
    pezolva::mnt m;
    std::vector<std::string> perguntas;
    std::vector<std::string> avisos;
    int janelas_mostradas = 0;
    int escolhas_mostradas = 0;
    QObject relogios;
};

const std::string kPergunta = "Palavra-passe da base de dados de obras:";
const std::string kErrada = "A palavra-passe está errada.\n" + kPergunta;

// A wrong password is said at once and asked again; after the third the
// project choice comes back.  Nothing is started with a wrong one.
TEST_F(JanelasTest, AWrongPasswordIsSaidAndAskedAgainThreeTimesThenTheChoice) {
    const std::string zolva = testing::read_file(t.settings.file_of("ZOLVA"));
    EXPECT_EQ(corre({"errada", "errada", "errada", "outra", std::nullopt}), kFalhou);
    EXPECT_EQ(perguntas,
              (std::vector<std::string>{kPergunta, kErrada, kErrada, kPergunta, kErrada}));
    EXPECT_EQ(janelas_mostradas, 0);
    EXPECT_EQ(avisos, (std::vector<std::string>{
                          "A palavra-passe da base de dados de obras foi recusada três vezes."}));
    EXPECT_TRUE(t.dialogs.shown().empty()) << t.dialogs.shown()[0].text;
    EXPECT_EQ(testing::read_file(t.settings.file_of("ZOLVA")), zolva);

    perguntas.clear();
    EXPECT_EQ(corre({"errada", "kqa730418"}), kSucesso);
    EXPECT_EQ(perguntas, (std::vector<std::string>{kPergunta, kErrada}));
    EXPECT_EQ(janelas_mostradas, 1);
    EXPECT_EQ(estado().projecto_actual.projecto, "obras");
}

// With projects to choose from, cancelling the password goes back to the
// choice, and three wrong ones say why the choice came back.
TEST_F(JanelasTest, CancellingThePasswordGoesBackToTheChoice) {
    t.settings.save("ZOLVA", "Projectos", "Nomes", "obras;outra");
    t.settings.save("ZOLVA", "outra", "path", pasta());
    t.settings.save("ZOLVA", "outra", "nome_bd", "brasol.mdb");
    responde_escolhas({"Command1(0)", "Command1(0)", "Command1(1)"});
    EXPECT_EQ(corre({std::nullopt, "errada", "errada", "errada"}), kFalhou);
    EXPECT_EQ(escolhas_mostradas, 3);
    EXPECT_EQ(perguntas.size(), 4u);
    EXPECT_EQ(janelas_mostradas, 0);
    EXPECT_EQ(avisos, (std::vector<std::string>{
                          "A palavra-passe da base de dados de obras foi recusada três "
                          "vezes. Escolha o projecto de novo."}));
}

// "Compactar todas as bases de dados" ends saying how each database went,
// here a main database the tool could not compact (no tool beside the test).
TEST_F(JanelasTest, CompactingEverythingEndsWithASummary) {
    EXPECT_EQ(corre({"kqa730418"},
                    [](JanelaPrincipal& janela) {
                        janela.findChild<QPushButton*>(QStringLiteral("compactar"))->click();
                    }),
              kSucesso);
    ASSERT_FALSE(t.dialogs.shown().empty());
    const Message& resumo = t.dialogs.shown().back();
    EXPECT_EQ(resumo.title, "Compactação");
    EXPECT_EQ(resumo.icon, Icon::Warning);
    EXPECT_EQ(resumo.text.rfind(
                  "Bases de dados compactadas: 0 de 1.\n\nbrasol.mdb: não foi compactada", 0),
              0u)
        << resumo.text;
}

// Escape on the main window does nothing: it is no dialog to dismiss.
TEST_F(JanelasTest, EscapeLeavesTheMainWindowOpen) {
    JanelaPrincipal janela({"obras", "", pasta(), "brasol.mdb"}, {});
    janela.show();
    QTest::keyClick(&janela, Qt::Key_Escape);
    EXPECT_TRUE(janela.isVisible());
    EXPECT_EQ(janela.result(), QDialog::Rejected);
    janela.findChild<QPushButton*>(QStringLiteral("sair"))->click();
    EXPECT_FALSE(janela.isVisible());
    EXPECT_EQ(janela.result(), QDialog::Accepted);
}

// No error leaves the window program or a button of its main window: it is
// shown as "número - descrição" (critical, "Erro") and the program goes on.
TEST_F(JanelasTest, ErrorsStopAtTheBoundaryAndTheWindowGoesOn) {
    // Settings that cannot be read: a folder in the file's place.
    const std::string zolva = t.settings.file_of("ZOLVA");
    std::filesystem::remove(zolva);
    std::filesystem::create_directory(zolva);
    EXPECT_EQ(corre({"kqa730418"}), kFalhou);
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_NE(t.dialogs.shown()[0].text.find(zolva), std::string::npos)
        << t.dialogs.shown()[0].text;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(t.dialogs.shown()[0].text[0])))
        << t.dialogs.shown()[0].text;
    EXPECT_EQ(t.dialogs.shown()[0].title, "Erro");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);

    int vezes = 0;
    JanelaPrincipal janela({"obras", "", "/dados/obras", "brasol.mdb"},
                           {{"copias", "Cópias", "Faz cópias.", [&] {
                                 ++vezes;
                                 throw pezolva::erro(3001, "Falhou.");
                             }}});
    auto* botao = janela.findChild<QPushButton*>(QStringLiteral("copias"));
    ASSERT_NE(botao, nullptr);
    botao->click();
    botao->click();  // the run flag came down: the second click runs too
    EXPECT_EQ(vezes, 2);
    ASSERT_EQ(t.dialogs.shown().size(), 3u);
    EXPECT_EQ(t.dialogs.shown()[2].text, "3001 - Falhou.");
    EXPECT_EQ(t.dialogs.shown()[2].title, "Erro");
}

// The main window's off-site line comes from the project's file alone:
// nothing when there is no repository, the last copy and check otherwise.
TEST_F(JanelasTest, TheMainWindowShowsTheLastOffSiteCopyAndCheck) {
    ASSERT_EQ(operacoes::arranca_projecto({"obras", "", pasta(), "brasol.mdb"}, "kqa730418", true),
              operacoes::Arranque::Pronto);
    const auto estado = [] { return std::vector<operacoes::BaseRegistada>{}; };
    {
        JanelaPrincipal janela({"obras", "", pasta(), "brasol.mdb"}, {}, estado);
        auto* fora = janela.findChild<QLabel*>(QStringLiteral("copias_fora"));
        ASSERT_NE(fora, nullptr);
        EXPECT_TRUE(fora->isHidden());
    }
    testing::write_file(pasta() + "/pezolva_offsite.ini",
                        "[offsite]\nrepositorio=sftp:copias@servidor:/srv/obras\n"
                        "ultimo_envio=07-12-2026 18:30:00\nultima_verificacao=\n");
    JanelaPrincipal janela({"obras", "", pasta(), "brasol.mdb"}, {}, estado);
    auto* fora = janela.findChild<QLabel*>(QStringLiteral("copias_fora"));
    ASSERT_NE(fora, nullptr);
    EXPECT_FALSE(fora->isHidden());
    EXPECT_EQ(fora->text().toStdString(),
              "Fora do local (sftp:copias@servidor:/srv/obras): última cópia 07-12-2026 18:30:00; "
              "última verificação nunca.");
}

}  // namespace
}  // namespace pezolva::cli
