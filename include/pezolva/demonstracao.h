#pragma once

// A demonstration project for a host that shows what the component does
// (the launcher's "demo"): a project folder with a main database, its
// companions and their structure databases, filled with realistic rows.
// Its one password, the main database's, is fixed and public (palavra_passe)
// so that a person can open the demonstration in the windows: it protects
// nothing but throw-away rows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pezolva/operacoes.h"
#include "pezolva/pezolva_export.h"
#include "pezolva/reposicao.h"

namespace pezolva::demonstracao {

// One database of the demonstration project, as built or as found.
struct Base {
    std::string ficheiro;       // file name, inside the project folder
    std::string estrutura;      // file name of its structure database
    std::size_t tabelas = 0;    // user tables
    std::int64_t registos = 0;  // rows of all of them
};

struct Projecto {
    std::string pasta;
    std::string nome_bd;       // file name of the main database
    std::string pasta_copias;  // the folder its start points every copy at
    std::vector<Base> bases;   // main, photos, log
};

// Where the demonstration goes when the host names no folder:
// $XDG_DATA_HOME/pezolva/demo, or ~/.local/share/pezolva/demo.
PEZOLVA_EXPORT std::string pasta_por_omissao();

// The demonstration project in `pasta` when all its files are there,
// checked by opening each; else a new one, built with `linhas` rows in its
// largest tables, when none of its files is there (the folder is made when
// missing).  A file under construction never carries its final name.
// Throws erro, changing nothing, for an incomplete project (naming a
// missing file) or a file that does not open.
PEZOLVA_EXPORT Projecto prepara(const std::string& pasta, std::int64_t linhas);

// The password of the demonstration's databases, the one password the
// component ever gives out: the demonstration is made to be opened by
// anyone.
PEZOLVA_EXPORT std::string palavra_passe();

// Starts the project in `pasta` under the name `nome` as a host's start
// does (operacoes::arranca_projecto), with the main database's password;
// `vem_de_pezolva` as the launcher starts it (no start-up sample).
PEZOLVA_EXPORT operacoes::Arranque arranca(const Projecto& projecto, const std::string& nome,
                                           const std::string& descr, bool vem_de_pezolva = false);

// Whether a compaction of one of the project's databases started now would
// find the dated name its old file is to keep already taken: that name
// carries the minute, so a second compaction in the same minute is
// refused.  A host that compacts again waits while this is true.
PEZOLVA_EXPORT bool minuto_da_compactacao_ocupado(const Projecto& projecto);

// A copy of `original` in `pasta` whose main structure database differs
// from its database in three ways: a field's size, a missing index and a
// missing relation (`alteracoes` says which, one line each).  Made under
// a temporary name and renamed when complete; a copy already in `pasta`
// is reused.  Throws erro when it cannot be made.
PEZOLVA_EXPORT Projecto prepara_divergente(const Projecto& original, const std::string& pasta,
                                           std::vector<std::string>& alteracoes);

// What a restore into a scratch copy of the project did.
struct ReposicaoRascunho {
    std::string base;                  // the scratch database replaced
    std::optional<std::string> falha;  // why not, when it was not
    bool igual_a_copia = false;        // its bytes are now the copy's
    std::int64_t registos = 0;         // rows of its tables now
};

// Shows a restore without touching the demonstration's own databases: the
// project's databases and structures are copied into `pasta` (made afresh),
// the scratch database of `copia` is damaged as a failing disk would leave
// it, and the copy replaces it with the same replacement as
// operacoes::repoe.
PEZOLVA_EXPORT ReposicaoRascunho repoe_num_rascunho(const Projecto& projecto,
                                                    const operacoes::CopiaListada& copia,
                                                    const std::string& pasta);

}  // namespace pezolva::demonstracao
