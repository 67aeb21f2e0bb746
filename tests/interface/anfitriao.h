#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

// Runs the test host that owns no QApplication (ANFITRIAO, built from
// anfitriao_sem_janelas.cpp) with `args`, its settings in `dir`, the
// password `passe` in PEZOLVA_TESTE_PASSE, and returns what it printed:
// standard output, and standard error too when `com_erros`; "sinal N" is
// added when a signal ended it, so that an abort shows in the comparison.
inline std::string corre_anfitriao(const pezolva::testing::TempDir& dir, const std::string& args,
                                   bool com_erros, const std::string& passe = "") {
    const std::string comando = "XDG_CONFIG_HOME='" + dir.file("config") +
                                "' PEZOLVA_TESTE_PASSE='" + passe + "' '" ANFITRIAO "' " + args +
                                (com_erros ? " 2>&1" : " 2>/dev/null");
    FILE* saida = popen(comando.c_str(), "r");
    std::string texto;
    char linha[512];
    while (std::fgets(linha, sizeof linha, saida) != nullptr) texto += linha;
    const int estado = pclose(saida);
    if (WIFSIGNALED(estado)) texto += "sinal " + std::to_string(WTERMSIG(estado));
    return texto;
}
