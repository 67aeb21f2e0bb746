#pragma once

// The compaction and the workstation re-install for hosts that run
// unattended: the same rules as mnt::faz_jetcomp_a_tudo and
// mnt::reinstala_posto, with a result per database in place of the wait
// window.  Messages go where mnt's go (the standard error without a
// QApplication).  Errors the operations do not handle themselves throw
// pezolva::erro; erro 3001 while no project is current.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pezolva/pezolva_export.h"

namespace pezolva::operacoes {

// How the compaction of one database went.
struct BaseCompactada {
    std::string nome_bd;
    bool compactada = false;
    std::string antiga;  // when compactada: the dated file that keeps the old database
    std::string causa;   // otherwise: why, as far as it is known
};

// How a compaction run ended: one result per database tried, in order.
struct ResultadoCompactacao {
    std::vector<BaseCompactada> bases;
    // When a SIGINT, SIGTERM or SIGHUP stopped the run: that signal.  The
    // tool was stopped, what it wrote removed, and no further database
    // compacted; the component has no stop request left standing, and the
    // host's own handlers are back.  A terminal program then ends as the
    // signal asks (status 128 + sinal).
    int sinal = 0;
};

// Compacts the current project's databases as mnt::faz_jetcomp_a_tudo does
// (the main one first; when it fails nothing else is compacted), or only
// the one named `nome_bd` when given (with its register row's password; the
// main database with the project's).  `a_compactar` is told each database
// before its compaction starts, `compactada` each result as it comes.
// erro 3265 when `nome_bd` is neither the main database nor in the register.
PEZOLVA_EXPORT ResultadoCompactacao
compacta_bases(const std::optional<std::string>& nome_bd = std::nullopt,
               const std::function<void(const std::string& nome_bd)>& a_compactar = {},
               const std::function<void(const BaseCompactada&)>& compactada = {});

// Runs the current project's "setupposto/setup" and waits until its window
// has come and gone or it and the processes it started have ended (without
// a display, until they have ended).  False, after a message, when the
// program is not there.
PEZOLVA_EXPORT bool reinstala_posto();

}  // namespace pezolva::operacoes
