#pragma once

#include <vector>

#include "importacao/fonte_jet.h"
#include "importacao/libmdb.h"

namespace pezolva::importacao {

// Reads the current row of a libmdb table into cells, from the stored
// bytes rather than libmdb's texts: Currency as its whole 64-bit number,
// dates from the stored double (libmdb's own text leaves years before 1900
// and after 2700 unset), Memo whole (libmdb cuts a text at its bind size,
// which this raises to the Memo's length while it reads one).
class LeitorLinhas {
  public:
    LeitorLinhas(MdbHandle* mdb, MdbTableDef* tabela);
    LeitorLinhas(const LeitorLinhas&) = delete;
    LeitorLinhas& operator=(const LeitorLinhas&) = delete;

    void le(std::vector<Celula>& celulas);

  private:
    Celula celula(MdbColumn* coluna);
    Celula memo(MdbColumn* coluna);
    Celula ole(MdbColumn* coluna);

    MdbHandle* mdb_;
    MdbTableDef* tabela_;
    std::vector<std::vector<char>> buffers_;  // the bound columns' buffers (Yes/No, OLE)
};

}  // namespace pezolva::importacao
