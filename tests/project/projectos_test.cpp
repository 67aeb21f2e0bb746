#include "project/projectos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "engine/error.h"
#include "support/fixtures.h"

namespace pezolva {
namespace {

class ProjectosTest : public ::testing::Test {
  protected:
    std::string nomes() { return t.settings.get("ZOLVA", "Projectos", "Nomes", "<nada>"); }
    void regista(const std::string& nome, const std::string& caminho = "/dados/p/") {
        regista_projecto(t.settings, actual, caminho, nome, "brasol.mdb", "descr " + nome,
                         "segredo", false);
    }

    testing::TestServices t;
    ProjectoActual actual;
};

TEST_F(ProjectosTest, FirstRegistrationWritesTheNameAloneAndTheProjectSection) {
    regista("obras");
    EXPECT_EQ(nomes(), "obras");
    EXPECT_EQ(t.settings.get("ZOLVA", "obras", "ultima_copia", "<nada>"), "");
    EXPECT_EQ(t.settings.get("ZOLVA", "obras", "path", ""), "/dados/p/");
    EXPECT_EQ(t.settings.get("ZOLVA", "obras", "nome_bd", ""), "brasol.mdb");
    EXPECT_EQ(t.settings.get("ZOLVA", "obras", "Descr", ""), "descr obras");
    EXPECT_EQ(actual.caminho, "/dados/p/");  // the trailing "/" goes with the register check
    EXPECT_EQ(actual.passwd, "segredo");
    regista("bombeiros");
    EXPECT_EQ(nomes(), "obras;bombeiros");
}

TEST_F(ProjectosTest, ANameDifferingOnlyInCaseIsAlreadyRegistered) {
    regista("Obras");
    regista("OBRAS", "/outro");
    EXPECT_EQ(nomes(), "Obras");
    EXPECT_EQ(t.settings.get("ZOLVA", "obras", "path", ""), "/outro");
}

TEST_F(ProjectosTest, BackupFlagOfANewProjectComesFromTheHostsOrigin) {
    regista("sem_origem");
    EXPECT_EQ(t.settings.get("ZOLVA", "sem_origem", "faz_copias", ""), "False");
    EXPECT_FALSE(actual.faz_copias);

    t.settings.save("principal", "setup", "ORIGEM", "Principal");
    regista("principal");
    EXPECT_EQ(t.settings.get("ZOLVA", "principal", "faz_copias", ""), "True");
    EXPECT_TRUE(actual.faz_copias);

    t.settings.save("posto", "setup", "ORIGEM", "POSTO");
    regista("posto");
    EXPECT_FALSE(actual.faz_copias);
}

TEST_F(ProjectosTest, BackupFlagIsReadLeniently) {
    regista("p");
    const std::pair<const char*, bool> cases[] = {{"TRUE", true}, {"false", false}, {"0", false},
                                                  {"-1", true},   {"talvez", true}, {"", true}};
    for (const auto& [text, expected] : cases) {
        t.settings.save("ZOLVA", "p", "faz_copias", text);
        regista("p");
        EXPECT_EQ(actual.faz_copias, expected) << text;
    }
    // A registered project's flag is never rewritten by a later start.
    EXPECT_EQ(t.settings.get("ZOLVA", "p", "faz_copias", ""), "");
}

TEST_F(ProjectosTest, PasswordNeverReachesTheSettings) {
    regista("obras");
    regista("bombeiros");
    const std::string ini = testing::read_file(t.settings.file_of("ZOLVA"));
    EXPECT_EQ(ini.find("segredo"), std::string::npos) << ini;
}

TEST_F(ProjectosTest, ListIgnoresStraySeparatorsAndBlanks) {
    t.settings.save("ZOLVA", "Projectos", "Nomes", " ;a;;b ");
    t.settings.save("ZOLVA", "a", "descr", "  Projecto A ");
    t.settings.save("ZOLVA", "b", "path", "/dados/b");
    const auto lista = lista_projectos(t.settings);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].nome, "a");
    EXPECT_EQ(lista[0].descr, "Projecto A");
    EXPECT_EQ(lista[1].nome, "b");
    EXPECT_EQ(lista[1].caminho, "/dados/b");
}

TEST_F(ProjectosTest, NoProjectShowsTheMessageAndGivesFalse) {
    std::vector<EntradaProjecto> lista;
    std::string nome = "x", descr = "x", caminho = "x", nome_bd = "x";
    bool ha_mais = true;
    const bool escolheu = selecciona_projectos(
        t.settings, t.dialogs, [](auto&) { return 0; }, lista, nome, descr, caminho, nome_bd,
        ha_mais);
    EXPECT_FALSE(escolheu);
    EXPECT_FALSE(ha_mais);
    EXPECT_EQ(nome, "x");
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    EXPECT_EQ(t.dialogs.shown()[0].text,
              "Não existem projectos PELVOR neste posto. Por favor, inicie a aplicação para a "
              "qual quer realizar a manutenção, saia e execute a manutenção de novo.");
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Information);
}

TEST_F(ProjectosTest, OneProjectIsTakenWithoutAskingSeveralAreChosen) {
    regista("obras", "/dados/obras");
    std::vector<EntradaProjecto> lista;
    std::string nome, descr, caminho, nome_bd;
    bool ha_mais = false;
    int perguntas = 0;
    auto escolhe = [&](const std::vector<EntradaProjecto>&) { return ++perguntas, 1; };
    ASSERT_TRUE(selecciona_projectos(t.settings, t.dialogs, escolhe, lista, nome, descr, caminho,
                                     nome_bd, ha_mais));
    EXPECT_EQ(perguntas, 0);
    EXPECT_TRUE(ha_mais);
    EXPECT_EQ(nome, "obras");
    EXPECT_EQ(caminho, "/dados/obras");
    EXPECT_EQ(nome_bd, "brasol.mdb");
    EXPECT_EQ(descr, "descr obras");

    regista("bombeiros", "/dados/bombeiros");
    ASSERT_TRUE(selecciona_projectos(t.settings, t.dialogs, escolhe, lista, nome, descr, caminho,
                                     nome_bd, ha_mais));
    EXPECT_EQ(perguntas, 1);
    EXPECT_EQ(nome, "bombeiros");
}

TEST_F(ProjectosTest, CancellingTheChoiceLeavesTheOutputsUnchanged) {
    regista("obras");
    regista("bombeiros");
    std::vector<EntradaProjecto> lista;
    std::string nome = "antes", descr, caminho, nome_bd;
    bool ha_mais = true;
    EXPECT_FALSE(selecciona_projectos(
        t.settings, t.dialogs, [](auto&) { return -1; }, lista, nome, descr, caminho, nome_bd,
        ha_mais));
    EXPECT_FALSE(ha_mais);
    EXPECT_EQ(nome, "antes");
}

// Two programs registering projects at once: a registration is one
// read-modify-write of the settings, so every name and every section stays.
TEST_F(ProjectosTest, TwoProgramsRegisteringAtOnceLoseNoName) {
    constexpr int kPorPrograma = 40;
    const auto programa = [&](const std::string& prefixo) {
        LocalFileSystem files;
        IniSettingsStore settings{t.dir.file("config/pelvor"), files};
        ProjectoActual proprio;
        for (int i = 0; i < kPorPrograma; ++i) {
            regista_projecto(settings, proprio, "/dados", prefixo + std::to_string(i), "b.mdb", "",
                             "", false);
        }
    };
    std::thread a(programa, "a"), b(programa, "b");
    a.join();
    b.join();
    const auto lista = lista_projectos(t.settings);
    EXPECT_EQ(lista.size(), 2u * kPorPrograma) << nomes();
    EXPECT_TRUE(std::all_of(lista.begin(), lista.end(),
                            [](const EntradaProjecto& e) { return e.caminho == "/dados"; }));
}

// A name that the settings could not keep as one name is refused before
// anything is written or made current.
TEST_F(ProjectosTest, NamesTheSettingsCannotKeepAreRefused) {
    regista("obras");
    const std::string antes = testing::read_file(t.settings.file_of("ZOLVA"));
    for (const char* nome : {"", " ", "obras]\n[brasol", "a;b", "[obras]", "linha\nnova", "fim\r",
                             " obras", "obras "}) {
        try {
            regista(nome, "/outra");
            ADD_FAILURE() << "aceite: '" << nome << "'";
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.numero(), engine::ErroArgumento);
            EXPECT_NE(e.descricao().find("não pode ser usado"), std::string::npos);
        }
        EXPECT_EQ(actual.projecto, "obras") << nome;
    }
    EXPECT_EQ(testing::read_file(t.settings.file_of("ZOLVA")), antes);
    // Any other text is a name, kept and read back as it was given.
    for (const char* nome : {"Obras Públicas", "a=b", "x#1", "p(2)"}) regista(nome);
    const auto lista = lista_projectos(t.settings);
    ASSERT_EQ(lista.size(), 5u);
    EXPECT_EQ(lista[1].nome, "Obras Públicas");
    EXPECT_EQ(lista[2].nome, "a=b");
    EXPECT_EQ(lista[1].descr, "descr Obras Públicas");
}

}  // namespace
}  // namespace pezolva
