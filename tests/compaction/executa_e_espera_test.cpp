#include "compaction/executa_e_espera.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/fixtures.h"

namespace pezolva {
namespace {

using Relogio = std::chrono::steady_clock;

TEST(ExecutaEEspera, AMissingProgramGivesANegativeCodeAtOnce) {
    PedidoExecucao p;
    p.programa = "/nao/existe/programa";
    const auto inicio = Relogio::now();
    const ResultadoExecucao r = executa_e_espera(p);
    EXPECT_EQ(r.codigo, kFalhaArranque + ENOENT);
    EXPECT_LT(r.codigo, 0);
    EXPECT_LT(Relogio::now() - inicio, std::chrono::seconds(5));
}

TEST(ExecutaEEspera, ANormalEndGivesTheExitStatusAndArgumentsAndInputArriveAsTheyAre) {
    testing::TempDir dir;
    const std::string saida = dir.file("saida");
    PedidoExecucao p;
    p.programa = "/bin/sh";
    p.argumentos = {"-c", "printf '%s|' \"$1\" > \"$2\"; cat >> \"$2\"; exit 3", "sh",
                    "a b'$(id)\"", saida};
    p.entrada = "segredo\n";
    const ResultadoExecucao r = executa_e_espera(p);
    EXPECT_EQ(r.codigo, kTerminou);
    EXPECT_EQ(r.saida, 3);
    EXPECT_EQ(testing::read_file(saida), "a b'$(id)\"|segredo\n");
}

TEST(ExecutaEEspera, ATimeOutLeavesTheProgramRunningOrKillsItWhenAsked) {
    for (const bool mata : {false, true}) {
        SCOPED_TRACE(mata);
        testing::TempDir dir;
        const std::string marca = dir.file("marca");
        PedidoExecucao p;
        p.programa = "/bin/sh";
        p.argumentos = {"-c", "sleep 1.5; touch \"$1\"", "sh", marca};
        p.tempo_limite_ms = 200;
        p.mata_no_limite = mata;
        int esperas = 0;
        p.entre_esperas = [&] { ++esperas; };
        EXPECT_EQ(executa_e_espera(p).codigo, kTempoEsgotado);
        EXPECT_GE(esperas, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        EXPECT_EQ(std::filesystem::exists(marca), !mata);
    }
}

TEST(ExecutaEEspera, AStopRequestKillsTheProgramAndSaysSo) {
    testing::TempDir dir;
    const std::string marca = dir.file("marca");
    PedidoExecucao p;
    p.programa = "/bin/sh";
    p.argumentos = {"-c", "sleep 1; touch \"$1\"", "sh", marca};
    int perguntas = 0;
    p.parar = [&] { return ++perguntas == 2; };
    const ResultadoExecucao r = executa_e_espera(p);
    EXPECT_TRUE(r.parada);
    EXPECT_EQ(r.codigo, kEsperaFalhou);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(std::filesystem::exists(marca));
}

}  // namespace
}  // namespace pezolva
