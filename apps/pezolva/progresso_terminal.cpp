#include "progresso_terminal.h"

#include <unistd.h>

#include <algorithm>

namespace pezolva::cli {

ProgressoTerminal::ProgressoTerminal(std::FILE* out)
    : out_(out), terminal_(::isatty(::fileno(out)) != 0) {}

ProgressoTerminal::~ProgressoTerminal() {
    if (linha_aberta_) std::fputc('\n', out_);
}

void ProgressoTerminal::mostra(const std::string& base, const std::string& etapa) {
    base_ = base;
    etapa_ = etapa;
    escreve();
}

void ProgressoTerminal::barra(int minimo, int maximo, int valor) {
    maximo_ = std::max(maximo, minimo);
    valor_ = std::clamp(valor, minimo, maximo_);
}

void ProgressoTerminal::avanca() { valor_ = std::min(valor_ + 1, maximo_); }

operacoes::Progresso ProgressoTerminal::callbacks() {
    return {[this](const std::string& base, const std::string& etapa) { mostra(base, etapa); },
            [this](int minimo, int maximo, int valor) { barra(minimo, maximo, valor); },
            [this] { avanca(); }};
}

void ProgressoTerminal::escreve() {
    std::string linha = base_;
    if (!etapa_.empty()) linha += ": " + etapa_;
    if (maximo_ > 1) linha += " (" + std::to_string(valor_) + "/" + std::to_string(maximo_) + ")";
    if (terminal_) {
        std::fprintf(out_, "\r\033[K%s", linha.c_str());
        linha_aberta_ = true;
    } else {
        std::fprintf(out_, "%s\n", linha.c_str());
    }
    std::fflush(out_);
}

}  // namespace pezolva::cli
