// The verification as a host calls it: the start-up sample, the compact and
// the full window, and what each gives back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "integrity/ui/ver_integridade.h"
#include "interface/estado.h"
#include "pezolva/mnt.h"
#include "support/fixtures.h"
#include "testproject/divergencias.h"
#include "testproject/projecto_teste.h"

namespace pezolva {
namespace {

constexpr const char* kInconsistente =
    "Existe uma base de dados que não está consistente com a estrutura.";

class IntegridadeMntTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testproject::Opcoes opcoes;
        opcoes.linhas = 0;
        p = testproject::cria_projecto(pasta(), opcoes);
        ASSERT_TRUE(arranca(false));  // the register made, n_integridades_bd added
        t.dialogs.clear();
    }
    std::string pasta() { return t.dir.file("obras"); }
    bool arranca(bool do_lancador) {
        std::string c = pasta(), n = "obras", bd = "brasol.mdb", d = "Obras",
                    w = testproject::kPassePrincipal;
        return m.actualiza_path(c, n, bd, d, w, do_lancador);
    }
    void frequencia(const std::string& valor) {
        testproject::abre(p.principal).Execute("update BUPS set n_integridades_bd=" + valor);
    }
    // A table the log's structure has and the log lacks.
    void estrutura_diferente() {
        testproject::abre_estrutura(p.log).Execute("create table so_na_estrutura (x INTEGER)");
    }
    bool avisou() {
        for (const Message& msg : t.dialogs.shown()) {
            if (msg.text.rfind(kInconsistente, 0) == 0) return true;
        }
        return false;
    }

    testing::TestServices t;
    ServicosSubstituidos substitutos{t.services};
    testproject::Projecto p;
    mnt m;
};

TEST_F(IntegridadeMntTest, EveryStartIsSampledWhenTheFrequencyIsOne) {
    frequencia("1");
    EXPECT_TRUE(arranca(false));
    EXPECT_FALSE(avisou());
    EXPECT_FALSE(estado().ha_diferencas);

    estrutura_diferente();
    EXPECT_FALSE(arranca(false));
    EXPECT_TRUE(avisou());
    EXPECT_TRUE(estado().ha_diferencas);
    // The launcher's own start is never sampled.
    t.dialogs.clear();
    EXPECT_TRUE(arranca(true));
    EXPECT_FALSE(avisou());
}

TEST_F(IntegridadeMntTest, NoSampleForZeroNullTextOrNegative) {
    estrutura_diferente();
    // Text that looks like a number is stored as one by the column's affinity.
    for (const char* valor : {"0", "NULL", "'um'", "-1", "0.5"}) {
        SCOPED_TRACE(valor);
        t.dialogs.clear();
        frequencia(valor);
        EXPECT_TRUE(arranca(false));
        EXPECT_FALSE(avisou());
    }
    // A fraction is read as its whole part.
    frequencia("1.5");
    EXPECT_FALSE(arranca(false));
}

TEST_F(IntegridadeMntTest, TheFullWindowGivesTheVerdictOfItsOwnRun) {
    const auto com_janela = [](const std::vector<const char*>& cliques) {
        auto* vigia = new QTimer;
        vigia->setInterval(20);
        std::size_t seguinte = 0;
        QObject::connect(vigia, &QTimer::timeout, [=]() mutable {
            auto* janela = qobject_cast<ver_integridade*>(QApplication::activeModalWidget());
            if (janela == nullptr || seguinte >= cliques.size()) return;
            janela->findChild<QPushButton*>(cliques[seguinte++])->click();
        });
        vigia->start();
        return vigia;
    };
    std::unique_ptr<QTimer> v1(com_janela({"Command2"}));
    EXPECT_FALSE(m.integr_com_fo());  // closed without a run
    std::unique_ptr<QTimer> v2(com_janela({"Command1", "Command2"}));
    EXPECT_TRUE(m.integr_com_fo());
    estrutura_diferente();
    std::unique_ptr<QTimer> v3(com_janela({"Command1", "Command2"}));
    EXPECT_FALSE(m.integr_com_fo());
}

TEST_F(IntegridadeMntTest, TheCompactWindowRunsByItselfAndCloses) {
    EXPECT_TRUE(m.integr_sem_fo());
    estrutura_diferente();
    EXPECT_FALSE(m.integr_sem_fo());
    EXPECT_TRUE(estado().ha_diferencas);
}

}  // namespace
}  // namespace pezolva
