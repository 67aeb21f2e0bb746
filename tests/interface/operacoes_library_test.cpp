// The unattended operations as a host loads them: through the public
// headers and the shared library, with the machine's own services.  This
// process owns a QApplication (the test runner's), so a scenario here must
// give the component nothing to ask; what a host without windows sees is
// run in a process of its own (anfitriao_sem_janelas).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "anfitriao.h"
#include "pezolva/demonstracao.h"
#include "pezolva/operacoes.h"
#include "support/temp_dir.h"

namespace {

namespace op = pezolva::operacoes;
namespace demo = pezolva::demonstracao;

// The component reads its settings folder once per process: every test here
// shares one, made before the first operation.
class OperacoesLibrary : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        comum = new pezolva::testing::TempDir;
        setenv("XDG_CONFIG_HOME", comum->file("config").c_str(), 1);
        std::filesystem::create_directories(comum->file("config/pelvor"));
    }
    static void TearDownTestSuite() {
        delete comum;
        comum = nullptr;
    }

    // A demonstration project in its own folder, started under `nome`, its
    // copies folder made (so nothing is asked) and, with `faz_copias`, this
    // workstation holding its main copy.
    demo::Projecto projecto_iniciado(const std::string& nome, bool faz_copias) {
        const demo::Projecto p = demo::prepara(dir.file(nome), 0);
        if (faz_copias) {
            pezolva::testing::write_file(comum->file("config/pelvor/" + nome + ".ini"),
                                         "[setup]\nORIGEM=PRINCIPAL\n");
        }
        std::filesystem::create_directories(p.pasta_copias);
        EXPECT_EQ(demo::arranca(p, nome, "Projecto " + nome), op::Arranque::Pronto);
        return p;
    }
    static std::set<std::string> ficheiros(const std::string& pasta) {
        std::set<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta)) {
            nomes.insert(e.path().filename().string());
        }
        return nomes;
    }

    static pezolva::testing::TempDir* comum;
    pezolva::testing::TempDir dir;
};
pezolva::testing::TempDir* OperacoesLibrary::comum = nullptr;

const std::vector<std::string> kBases = {"brasol.mdb", "brasol_fotos.mdb", "log.mdb"};

TEST_F(OperacoesLibrary, AStartedProjectIsListedAndFoundWhateverTheCase) {
    const demo::Projecto p = projecto_iniciado("obras", false);
    const std::optional<op::Projecto> achado = op::procura_projecto("OBRAS");
    ASSERT_TRUE(achado.has_value());
    EXPECT_EQ(achado->nome, "obras");
    EXPECT_EQ(achado->descr, "Projecto obras");
    EXPECT_EQ(achado->nome_bd, "brasol.mdb");
    EXPECT_EQ(std::filesystem::path(achado->caminho), std::filesystem::path(p.pasta));
    EXPECT_FALSE(op::procura_projecto("obra").has_value());
    bool listado = false;
    for (const op::Projecto& e : op::lista_projectos()) listado = listado || e.nome == "obras";
    EXPECT_TRUE(listado);

    // A name the settings cannot keep changes nothing.
    const auto antes = op::lista_projectos().size();
    try {
        op::arranca_projecto({"a;b", "", p.pasta, p.nome_bd}, "", false);
        ADD_FAILURE() << "a name with the list separator was taken";
    } catch (const pezolva::erro& e) {
        EXPECT_EQ(e.numero(), 3001);
    }
    EXPECT_EQ(op::lista_projectos().size(), antes);
    // Nor do texts that are not UTF-8, which would leave settings nobody
    // could read again.
    EXPECT_THROW(op::arranca_projecto({"obras",
                                       "ab\xFF"
                                       "c",
                                       p.pasta, p.nome_bd},
                                      "", false),
                 pezolva::erro);
    EXPECT_EQ(op::procura_projecto("obras")->descr, "Projecto obras");
}

TEST_F(OperacoesLibrary, OnlyAPasswordTheMainDatabaseRefusesIsWrong) {
    const demo::Projecto p = projecto_iniciado("passe", false);
    const op::Projecto proj{"passe", "", p.pasta, p.nome_bd};
    EXPECT_FALSE(op::palavra_passe_abre(proj, "errada"));
    EXPECT_FALSE(op::palavra_passe_abre(proj, ""));
    EXPECT_TRUE(op::palavra_passe_abre(proj, "kqa730418"));
    // Missing: the start is the one to say what is wrong.
    EXPECT_TRUE(op::palavra_passe_abre({"passe", "", p.pasta, "nao-existe.mdb"}, "x"));
}

// The whole unattended day of a workstation: reminded at the start, the due
// databases copied with progress, and nothing due afterwards.
TEST_F(OperacoesLibrary, TheDueDatabasesAreRemindedCopiedWithProgressAndThenNoLongerDue) {
    const demo::Projecto p = projecto_iniciado("diario", true);
    const op::Lembrete l = op::lembrete();
    EXPECT_TRUE(l.perguntar);
    EXPECT_EQ(l.titulo, "Cópias de Segurança");
    EXPECT_EQ(l.texto, "É aconselhável fazer cópias de segurança de alguns ficheiros.");
    EXPECT_EQ(l.respostas, (std::vector<std::string>{"Fazer", "Não Fazer", "Configurar"}));
    EXPECT_EQ(l.devidas, kBases);
    std::vector<std::string> registadas;
    for (const op::BaseRegistada& b : op::registo_copias()) {
        registadas.push_back(b.nome_bd);
        EXPECT_TRUE(b.devida) << b.nome_bd;
        EXPECT_EQ(b.destino, p.pasta_copias);
    }
    EXPECT_EQ(registadas, kBases);

    std::set<std::string> mostradas;
    int passos = 0;
    op::Progresso progresso;
    progresso.mostra = [&](const std::string& base, const std::string&) { mostradas.insert(base); };
    progresso.avanca = [&] { ++passos; };
    const op::ResultadoCopias r = op::copia_bases(l.devidas, progresso);
    EXPECT_EQ(r.fim, op::FimCopias::Concluida) << r.erros;
    EXPECT_TRUE(r.erros.empty());
    EXPECT_EQ(r.sinal, 0);
    for (const std::string& base : kBases) EXPECT_EQ(mostradas.count(base), 1u) << base;
    EXPECT_GT(passos, 0);
    std::size_t copias = 0;
    for (const std::string& f : ficheiros(p.pasta_copias))
        copias += f.size() > 4 && f.substr(f.size() - 4) == ".mdb";
    EXPECT_EQ(copias, 3u);

    EXPECT_FALSE(op::lembrete().perguntar);
    for (const op::BaseRegistada& b : op::registo_copias()) EXPECT_FALSE(b.devida) << b.nome_bd;
}

// A name without a register row is an error of the run, in both logs, one
// line each with "\n" between lines; the other names are still copied.
TEST_F(OperacoesLibrary, ANameOutsideTheRegisterIsLoggedAndTheOthersAreCopied) {
    projecto_iniciado("nomes", false);
    const std::string falta =
        "Erro interno. Não foi encontrado o registo de cópias de segurança da base de dados ";
    const op::ResultadoCopias so_fora = op::copia_bases({"fora.mdb"});
    EXPECT_EQ(so_fora.fim, op::FimCopias::NenhumaIniciada);
    EXPECT_EQ(so_fora.erros, falta + "fora.mdb.");
    EXPECT_EQ(so_fora.mensagens, so_fora.erros);

    const op::ResultadoCopias r = op::copia_bases({"fora.mdb", "log.mdb", "outra.mdb"});
    EXPECT_EQ(r.fim, op::FimCopias::ComErros);
    EXPECT_EQ(r.erros, falta + "fora.mdb.\n" + falta + "outra.mdb.");
    EXPECT_EQ(r.mensagens.find('\r'), std::string::npos) << r.mensagens;
    EXPECT_FALSE(op::registo_copias()[2].devida) << "log.mdb was copied";
}

TEST_F(OperacoesLibrary, AWorkstationThatMakesNoCopiesIsNotReminded) {
    projecto_iniciado("sem_copias", false);
    const op::Lembrete l = op::lembrete();
    EXPECT_FALSE(l.perguntar);
    EXPECT_TRUE(l.devidas.empty());
    EXPECT_EQ(l.titulo, "Cópias de Segurança");
}

volatile std::sig_atomic_t sinais_do_anfitriao = 0;
void handler_do_anfitriao(int) { sinais_do_anfitriao = sinais_do_anfitriao + 1; }

// A signal in the middle of a copy stops it: the run says which signal, the
// copies folder is as it was, the host's own handler is back, and the
// component still works for the next run.
TEST_F(OperacoesLibrary, ASignalStopsTheRunCleanlyAndTheNextRunWorks) {
    const demo::Projecto p = projecto_iniciado("sinal", false);
    ASSERT_EQ(op::copia_bases({"log.mdb"}).fim, op::FimCopias::Concluida);
    const std::set<std::string> antes = ficheiros(p.pasta_copias);

    sinais_do_anfitriao = 0;
    auto* anterior = std::signal(SIGTERM, handler_do_anfitriao);
    bool enviado = false;
    op::Progresso progresso;
    progresso.mostra = [&](const std::string& base, const std::string&) {
        if (!enviado && base == "brasol.mdb") {
            enviado = true;
            std::raise(SIGTERM);
        }
    };
    const op::ResultadoCopias r = op::copia_bases({"brasol.mdb", "log.mdb"}, progresso);
    EXPECT_EQ(r.fim, op::FimCopias::Interrompida) << r.mensagens;
    EXPECT_EQ(r.sinal, SIGTERM);
    EXPECT_EQ(sinais_do_anfitriao, 0) << "the run took the signal, not the host";
    EXPECT_EQ(ficheiros(p.pasta_copias), antes) << "no copy, no temporary file left";
    std::raise(SIGTERM);
    EXPECT_EQ(sinais_do_anfitriao, 1) << "the host's handler is back";
    std::signal(SIGTERM, anterior);

    // No stop request left standing: a long piece of work runs to its end.
    EXPECT_NO_THROW(demo::prepara(dir.file("depois"), 200));
    const op::ResultadoCopias depois = op::copia_bases({"brasol.mdb"});
    EXPECT_EQ(depois.fim, op::FimCopias::Concluida) << depois.erros;
}

// A compaction's dated name carries the minute, so a demo run twice in one
// minute waits while this minute's name of one of its databases is taken.
TEST_F(OperacoesLibrary, TheDemoWaitsOnlyWhileThisMinutesDatedNameIsTaken) {
    const demo::Projecto p = demo::prepara(dir.file("minuto"), 0);
    EXPECT_FALSE(demo::minuto_da_compactacao_ocupado(p));
    for (;;) {
        const std::time_t agora = std::time(nullptr);
        std::tm local{};
        localtime_r(&agora, &local);
        char minuto[16];
        std::strftime(minuto, sizeof minuto, "%Y%m%d%H%M", &local);
        const std::string datado = p.pasta + "/log" + minuto + ".mdb";
        pezolva::testing::write_file(datado, "x");
        const bool ocupado = demo::minuto_da_compactacao_ocupado(p);
        std::filesystem::remove(datado);
        if (std::time(nullptr) / 60 != agora / 60) continue;  // the minute turned meanwhile
        EXPECT_TRUE(ocupado);
        break;
    }
    EXPECT_FALSE(demo::minuto_da_compactacao_ocupado(p));
}

// A host without a QApplication, in a process of its own: what it prints on
// both outputs.

TEST(OperacoesSemJanelas, WithoutACurrentProjectEachOperationIsOneClearError) {
    pezolva::testing::TempDir dir;
    const std::string r = corre_anfitriao(dir, "operacoes-sem-projecto", true);
    const std::string linha =
        "erro 3001: Não há um projecto actual: o programa anfitrião tem de chamar "
        "actualiza_path antes desta operação.\n";
    EXPECT_EQ(r, linha + linha + linha);
}

TEST(OperacoesSemJanelas, EachWayAStartEndsIsToldAndShown) {
    pezolva::testing::TempDir dir;
    const demo::Projecto p = demo::prepara(dir.file("obras"), 0);
    // A host's start samples a verification one time in n: its banner may
    // come before the result, which does not change.
    const std::string pronto =
        corre_anfitriao(dir, "arranque '" + p.pasta + "' obras brasol.mdb", true, "kqa730418");
    EXPECT_NE(pronto.find("Pronto\nsem erro\n"), std::string::npos) << pronto;
    const std::string errada =
        corre_anfitriao(dir, "arranque '" + p.pasta + "' obras brasol.mdb", true, "errada");
    EXPECT_NE(errada.find("Recusado\nsem erro\n"), std::string::npos) << errada;
    EXPECT_NE(errada.find("Palavra-passe inválida."), std::string::npos) << errada;
    const std::string sem_base =
        corre_anfitriao(dir, "arranque '" + p.pasta + "' obras outra.mdb", true, "kqa730418");
    EXPECT_NE(sem_base.find("SemBasePrincipal\nsem erro\n"), std::string::npos) << sem_base;
    EXPECT_NE(sem_base.find("outra.mdb não existe."), std::string::npos) << sem_base;
}

TEST(OperacoesSemJanelas, AnErrorIsShownWithItsNumberOr3000) {
    pezolva::testing::TempDir dir;
    EXPECT_EQ(corre_anfitriao(dir, "mostra-erro", true),
              "Erro: 3045 - Em uso.\nErro: 3000 - Sem número.\n");
}

}  // namespace
