#pragma once

// Bringing a project over from the original platform: a folder of its Jet
// files (the main database with its register BUPS, the databases the
// register names, their structure databases) read through libmdb and
// written as a project of this component, all or nothing.  A library of
// its own (libpezolva_importacao), so that hosts that never import do not
// load libmdb.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pezolva/pezolva_importacao_export.h"

namespace pezolva::importacao {

struct Pedido {
    std::string origem;     // the source folder; only read
    std::string destino;    // the project folder to make; must not exist
    std::string projecto;   // the name it is registered under
    std::string principal;  // the main database's file name; "" for the one .mdb with a table BUPS
    // The main database's password (the register keeps the others); given
    // to the imported file, and checked against the source where its
    // format keeps it readable.
    std::string palavra_passe;
};

// What one file carried.
struct Ficheiro {
    std::string nome;  // as written in the target
    int tabelas = 0;
    std::int64_t linhas = 0;
    int indices = 0;
    int relacoes = 0;
    // What was not carried, or not as it was, and why, one line each.
    std::vector<std::string> nao_transportado;
};

struct Relatorio {
    bool sucesso = false;
    // On failure: the line naming the file, the table and the cause.
    std::string erro;
    std::vector<Ficheiro> ficheiros;
    // Folders of the register outside the source project, kept as they
    // were: the user must set them again.
    std::vector<std::string> pastas_a_rever;
    double segundos = 0;
    // What this run noticed and left alone: a temporary folder of another
    // import it could not tell was dead.
    std::vector<std::string> avisos;
    // The signal (SIGINT, SIGTERM, SIGHUP) that stopped the run, 0 when none:
    // the caller should then end as that signal asks (status 128 + sinal).
    // On success the project was in place when it came.
    int sinal = 0;
};

// Progress: the file and table being read, and the rows carried of it.
using Progresso = std::function<void(const std::string& ficheiro, const std::string& tabela,
                                     std::int64_t linhas)>;

// Imports the folder.  On success the target holds the project and it is
// registered on this workstation under `projecto`; on failure there is no
// target and nothing was registered.  SIGINT, SIGTERM and SIGHUP stop the
// run for its length, as a failure.  Temporary folders that killed imports
// left beside the target go first.  Never throws.
PEZOLVA_IMPORTACAO_EXPORT Relatorio importa(const Pedido& pedido, const Progresso& progresso = {});

}  // namespace pezolva::importacao
