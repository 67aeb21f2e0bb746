#pragma once

// The restore for hosts that run unattended: the backup copies of the
// current project's databases as the restore window lists them, and the
// replacement of a database by one of them.  Same rules as the window
// (mnt::repor_copias_segur): the database is never left missing or half
// written, and one that another program has open is not replaced.  Both
// work when the main database is damaged or missing (the copies of the
// main database are then looked for in the project's "copiaseg" folder),
// so a host calls them after arranca_projecto whatever that gave.  They
// throw erro 3001 while no project is current.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pezolva/pezolva_export.h"

namespace pezolva::operacoes {

// A copy found on disk: a row of the window's list.
struct CopiaListada {
    std::string nome_fich;  // its file name, without folder
    std::string bd;         // the database it is a copy of, without ".mdb"
    std::string data;       // "dd-mm-yyyy hh:nn", as the window shows it
    std::string carimbo;    // the twelve digits of its name, "yyyymmddhhnn"
    std::string caminho;    // the folder it was found in
    std::string tamanho;    // thousands of bytes as the window shows them ("<1", "1 500")
    std::uint64_t bytes = 0;
};

struct CopiasEncontradas {
    std::vector<CopiaListada> copias;  // newest first, as the window first shows them
    std::vector<std::string> pastas;   // the folders searched, in order
    // True when the register could not be read (the main database is
    // damaged or missing): only the main database's copies were looked for.
    bool sem_registo = false;
};

// The copies of the current project, found where the window looks for
// them.  `separador` groups the thousands of the sizes.  Changes nothing.
PEZOLVA_EXPORT CopiasEncontradas lista_copias(const std::string& separador = " ");

// The copy that `copia` names: a file name of the list (letter case
// ignored when no name matches exactly), or the path of a file whose name
// is a copy of a database of the register (in any folder).  nullopt when
// neither.
PEZOLVA_EXPORT std::optional<CopiaListada> procura_copia(const std::string& copia);

// The question the user answers before a restore: three lines.
PEZOLVA_EXPORT std::string pergunta_reposicao();

// How a restore went.
struct ResultadoReposicao {
    // nullopt when the copy replaced the database; otherwise the message
    // the window shows (why, on its last line), and the database is as it
    // was.
    std::optional<std::string> falha;
    // When it did: "Cópia concluida", and for the main database whose
    // register could not be carried, a line saying it is made anew.
    std::string mensagem;
    // The signal (SIGINT, SIGTERM, SIGHUP) that came during the restore, 0
    // when none: the work stopped before the swap if it could, and the
    // host should then end as that signal asks (status 128 + sinal).
    int sinal = 0;
};

// Replaces the database of `copia` in the project folder by the copy.  The
// main database keeps its register of backups.
PEZOLVA_EXPORT ResultadoReposicao repoe(const CopiaListada& copia);

}  // namespace pezolva::operacoes
