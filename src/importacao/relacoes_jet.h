#pragma once

#include <string>
#include <vector>

#include "importacao/fonte_jet.h"

namespace pezolva::importacao {

// One row of the original's table of relations: one field of one relation.
struct LinhaRelacao {
    std::string relacao;             // szRelationship
    std::string tabela;              // szReferencedObject
    std::string campo;               // szReferencedColumn
    std::string tabela_estrangeira;  // szObject
    std::string campo_estrangeiro;   // szColumn
    long ordem = 0;                  // icolumn
    long grbit = 0;
};

// The row read by column name from the table's own definition.
LinhaRelacao linha_relacao(const TabelaJet& definicao, const std::vector<Celula>& celulas);

// The rows grouped by relation (in the order each first appears), the
// fields in key order; grbit 2: not enforced, 256: updates cascade, 4096:
// deletes cascade.
std::vector<RelacaoJet> agrupa_relacoes(std::vector<LinhaRelacao> linhas);

}  // namespace pezolva::importacao
