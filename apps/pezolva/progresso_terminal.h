#pragma once

#include <cstdio>
#include <string>

#include "pezolva/operacoes.h"

namespace pezolva::cli {

// Backup progress on a terminal: one line per stage and table, "base:
// etapa", with the table count; on a terminal the line is rewritten in
// place instead of scrolling.
class ProgressoTerminal {
  public:
    explicit ProgressoTerminal(std::FILE* out);
    ~ProgressoTerminal();
    ProgressoTerminal(const ProgressoTerminal&) = delete;
    ProgressoTerminal& operator=(const ProgressoTerminal&) = delete;

    void mostra(const std::string& base, const std::string& etapa);
    void barra(int minimo, int maximo, int valor);
    void avanca();

    // The callbacks of a backup run that drive this display; valid while
    // it lives.
    operacoes::Progresso callbacks();

  private:
    void escreve();

    std::FILE* out_;
    bool terminal_;
    std::string base_, etapa_;
    int maximo_ = 0, valor_ = 0;
    bool linha_aberta_ = false;
};

}  // namespace pezolva::cli
