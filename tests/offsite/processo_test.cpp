#include "offsite/processo.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "engine/interruption.h"

namespace pezolva::offsite {
namespace {

TEST(ProcessoTest, TheChildGetsOnlyTheEnvironmentItIsGiven) {
    ::setenv("PEZOLVA_PASSWORD", "segredo", 1);
    ProcessosReais p;
    const ResultadoProcesso r = p.corre({"env", {}, {"PATH=/usr/bin:/bin", "A=1"}, "", {}});
    ::unsetenv("PEZOLVA_PASSWORD");
    ASSERT_TRUE(r.arrancou);
    EXPECT_EQ(r.estado, 0);
    EXPECT_EQ(r.saida, "PATH=/usr/bin:/bin\nA=1\n");
}

TEST(ProcessoTest, InputGoesInAndBothOutputsComeBack) {
    ProcessosReais p;
    const std::string grande(300000, 'z');  // more than a pipe holds
    ResultadoProcesso r =
        p.corre({"sh", {"-c", "cat; echo erro >&2; exit 3"}, ambiente_limpo({}), grande, {}});
    EXPECT_EQ(r.estado, 3);
    EXPECT_EQ(r.saida, grande);
    EXPECT_EQ(r.erros, "erro\n");
    r = p.corre({"nao-existe-este-programa", {}, ambiente_limpo({}), "", {}});
    EXPECT_FALSE(r.arrancou);
    EXPECT_EQ(r.erro_arranque, ENOENT);
}

TEST(ProcessoTest, ASignalStopsTheChildAndIsLeftForTheCaller) {
    ProcessosReais p;
    std::thread sinal([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(::getpid(), SIGTERM);
    });
    const ResultadoProcesso r = p.corre({"sleep", {"30"}, ambiente_limpo({}), "", {}});
    sinal.join();
    EXPECT_EQ(r.interrompido_por, SIGTERM);
    EXPECT_EQ(r.sinal, SIGINT) << "the child was asked to stop, and waited for";
    EXPECT_EQ(engine::interruption_requested(), SIGTERM);
    engine::clear_interruption();
}

}  // namespace
}  // namespace pezolva::offsite
