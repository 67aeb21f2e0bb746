#include "integrity/relatorio.h"

namespace pezolva::integrity {

void Relatorio::acrescenta(const std::string& linha, bool erro) {
    if (erro) erros_.push_back(linha);
    registo_.push_back(linha);
    if (ao_registar) ao_registar(linha, erro);
}

void Relatorio::regista_diferenca(Diferenca d) {
    const std::string texto = linha(d);
    diferencas_.push_back(std::move(d));
    acrescenta(texto, true);
}

void Relatorio::regista_erro(const std::string& linha) {
    falhas_.push_back(linha);
    acrescenta(linha, true);
}

void Relatorio::regista_linha(const std::string& linha) { acrescenta(linha, false); }

void Relatorio::limpa() {
    erros_.clear();
    registo_.clear();
    diferencas_.clear();
    falhas_.clear();
}

std::string junta_linhas(const std::vector<std::string>& linhas) {
    std::string texto;
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        if (i > 0) texto += "\r\n";
        texto += linhas[i];
    }
    return texto;
}

}  // namespace pezolva::integrity
