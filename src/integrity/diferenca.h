#pragma once

#include <string>

namespace pezolva::integrity {

enum class TipoDiferenca {
    Versoes,    // the two versions differ
    SemVersao,  // one side has no version
    TabelaEmFalta,
    Tamanho,  // a field's size
    Tipo,     // a field's type code
    CampoEmFalta,
    IndiceEmFalta,
    RelacaoEmFalta,
};

// One difference between a database and its structure.  `lado` is the side
// whose objects were walked when it was found and `outro` the other one
// (display names: the files' paths); the names of the other side's table
// and field are as that side spells them.  The values are sizes, type
// codes or versions, in `lado` then in `outro`.
struct Diferenca {
    TipoDiferenca tipo = TipoDiferenca::Versoes;
    std::string base;       // the pair: the database...
    std::string estrutura;  // ...and its structure
    std::string lado;
    std::string outro;
    std::string tabela;
    std::string tabela_outro;
    std::string campo;
    std::string campo_outro;
    std::string indice;
    std::string relacao;
    std::string valor;
    std::string valor_outro;
};

// The line that reports `d`, as the errors box and the log show it.
std::string linha(const Diferenca& d);

// A short name of the kind, for machine-readable reports ("tamanho", ...).
const char* nome_tipo(TipoDiferenca tipo);

}  // namespace pezolva::integrity
