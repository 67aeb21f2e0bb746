#pragma once

#include <memory>
#include <string>

#include "importacao/fonte_jet.h"

namespace pezolva::importacao {

// A Jet 3 or Jet 4 file read through libmdb (mdbtools).  Opening refuses,
// with a line naming the file, what cannot be read, what is not a Jet
// database and what libmdb cannot make sense of.
std::unique_ptr<FonteJet> abre_fonte_mdb(const std::string& caminho);

}  // namespace pezolva::importacao
