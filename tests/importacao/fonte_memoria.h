#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "importacao/importacao_projecto.h"

namespace pezolva::importacao::testing {

// One source database held in memory: what no sample Jet file has (and
// no Debian package can write) is described here.
struct BaseMemoria {
    int versao = 4;
    std::vector<TabelaJet> tabelas;
    std::map<std::string, std::vector<std::vector<Celula>>> linhas;
    std::vector<RelacaoJet> relacoes;
    std::vector<std::string> outros;
    std::optional<std::string> palavra_passe;
    std::string tabela_ilegivel;  // reading its rows fails, after the first
};

// Opens sources by file name (the path's last part) from `bases`; a name
// not there fails as a file that is not Jet does.
AbreFonte catalogo(const std::map<std::string, BaseMemoria>& bases);

Celula nulo();
Celula inteiro(std::int64_t v);
Celula real(double v);
Celula texto(std::string v);
Celula binario(std::string v);

}  // namespace pezolva::importacao::testing
