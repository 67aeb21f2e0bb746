#pragma once

// The integrity verification for hosts that run unattended: every
// database of the current project's register compared with its structure
// database (version, tables, fields with size and type, indexes,
// relations), as the verification window does it, with plain results.
// Both files of each row are opened read-only: nothing is written.

#include <functional>
#include <string>
#include <vector>

#include "pezolva/pezolva_export.h"

namespace pezolva::verificacao {

// One difference between a database and its structure.
struct Diferenca {
    // "versoes", "sem_versao", "tabela_em_falta", "tamanho", "tipo",
    // "campo_em_falta", "indice_em_falta" or "relacao_em_falta".
    std::string tipo;
    std::string base;       // the database's path
    std::string estrutura;  // its structure database's path
    // Where the object was found, "base" or "estrutura" (the side that
    // lacks it, for "sem_versao").
    std::string lado;
    std::string tabela;
    std::string campo;
    std::string indice;
    std::string relacao;
    // Sizes, type codes or versions: on `lado`, then on the other side.
    std::string valor;
    std::string valor_outro;
    // The line the window's errors show for it.
    std::string linha;
};

struct Resultado {
    // The run compared every row of the register (it was not stopped by
    // a failure).
    bool terminou = false;
    // The log, line by line, ending with "Concluido.".
    std::vector<std::string> registo;
    std::vector<Diferenca> diferencas;
    // Failures of the run that are not differences (a file that does not
    // open, a register badly set up, an engine error), line by line.
    std::vector<std::string> erros;

    // Every database reached and consistent with its structure.
    bool consistente() const { return terminou && diferencas.empty() && erros.empty(); }
};

// Verifies the current project's databases.  `linha` (when set) receives
// each line of the log as it is written.  Throws erro 3001 while no
// project is current.
PEZOLVA_EXPORT Resultado verifica(const std::function<void(const std::string& linha)>& linha = {});

}  // namespace pezolva::verificacao
