#pragma once

#include <functional>
#include <memory>
#include <string>

#include "importacao/fonte_jet.h"
#include "pezolva/importacao.h"

namespace pezolva::importacao {

// Opens one source database by path (libmdb for real files; the tests'
// catalogue in memory).  Throws ErroImportacao when it cannot.
using AbreFonte = std::function<std::unique_ptr<FonteJet>(const std::string& caminho)>;

// The whole import of a folder, as importa() does it, without registering
// the project: the files chosen, checked free and with their passwords,
// written into a temporary folder beside the target, each checked, and
// the folder renamed to the target only when all are.  Fills `relatorio`
// (not `sucesso`, `erro` or `segundos`); throws ErroImportacao, with no
// target and no temporary folder left.
void importa_projecto(const Pedido& pedido, const AbreFonte& abre, const Progresso& progresso,
                      Relatorio& relatorio);

}  // namespace pezolva::importacao
