#pragma once

#include <cstdio>
#include <string>

#include "backup/progresso.h"

namespace pezolva::cli {

// Backup progress on a terminal: one line per stage and table, "base:
// etapa", with the table count; on a terminal the line is rewritten in
// place instead of scrolling.
class ProgressoTerminal : public backup::Progresso {
public:
    explicit ProgressoTerminal(std::FILE* out);
    ~ProgressoTerminal() override;

    bool visivel() const override { return true; }
    void mostra(const std::string& base, const std::string& etapa) override;
    void barra(int minimo, int maximo, int valor) override;
    void avanca() override;

private:
    void escreve();

    std::FILE* out_;
    bool terminal_;
    std::string base_, etapa_;
    int maximo_ = 0, valor_ = 0;
    bool linha_aberta_ = false;
};

}  // namespace pezolva::cli
