#pragma once

#include <string>
#include <vector>

#include "engine/schema.h"
#include "importacao/fonte_jet.h"

namespace pezolva::importacao {

// The engine's field for a column of the original: every type has its
// code (Currency, Memo and OLE their own), Text keeps its length.  An
// AutoNumber that is the table's whole primary key becomes the table's
// row number, which the engine fills; anywhere else it is a Long and the
// note says so.  `nota` gets what changed on the way ("" when nothing).
engine::Field campo_importado(const ColunaJet& coluna, bool chave_unica, std::string& nota);

// The SQL literal of a cell: numbers as written, texts quoted, bytes as a
// blob; a real that is not a number (the original can store one) as Null.
std::string literal(const Celula& celula);

}  // namespace pezolva::importacao
