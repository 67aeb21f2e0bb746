#pragma once

#include <optional>
#include <string>
#include <vector>

#include "importacao/fonte_jet.h"

namespace pezolva::importacao {

// One row of the source's register BUPS, as far as the import needs it.
struct LinhaRegisto {
    std::string base;       // BUP_NOME_BD
    std::string estrutura;  // BUP_ULT_NOME_ESTRUTURA, "" when none
    std::string pasta;      // BUP_CAMINHO_DESTINO, a folder as the original wrote it
    std::optional<std::string> palavra_passe;  // BUP_PASSWD
};

// The register's table name in the source ("BUPS" in any case), or nullopt.
std::optional<std::string> tabela_registo(FonteJet& fonte);

// The register's rows; none when the source has no register (the start
// then makes one, as for any project).
std::vector<LinhaRegisto> le_registo(FonteJet& fonte);

// Where a folder of the register goes: a Windows (or local) path inside the
// source project, recognised by the source folder's own name among its
// parts ("C:\Obras\copiaseg" for a source folder named "Obras"), becomes
// the same folder inside `destino`; any other gives nullopt and stays as
// it was.  Parts compare without regard to case.
std::optional<std::string> pasta_no_destino(const std::string& pasta, const std::string& origem,
                                            const std::string& destino);

}  // namespace pezolva::importacao
