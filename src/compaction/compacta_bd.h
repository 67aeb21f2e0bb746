#pragma once

#include <string>
#include <vector>

#include "common/services.h"
#include "compaction/aviso_espera.h"

namespace pezolva {

// What a compaction needs besides its four parameters.
struct AmbienteCompactacao {
    std::string projecto;  // the current project's name, for the "bloqueada" question
    // Where the tool is looked for after the database's folder (the
    // launcher's folder).
    std::vector<std::string> pastas_programa;
    int tempo_limite_ms = 3600000;
    AvisoEspera* aviso = nullptr;  // nullptr: nothing shown while the tool runs
};

// How one compaction went, for callers that report it.
struct DetalheCompactacao {
    std::string antiga;  // when it succeeded: the name the old database keeps
    std::string causa;   // when it failed: why, as far as it is known
};

// The cause of a compaction refused because somebody else holds the
// database, or its holders cannot be asked; the message shown said why.
inline constexpr const char* kEstaBloqueada = "está bloqueada";

// Compacts the database `nomebd` in `caminhobd` with the compaction tool:
//  1. finds the tool (the database's folder, its "jetcomp4" subfolder, then
//     the program folders), passing over, with a message saying which tool
//     runs and why, one in the database's folder that another user could
//     have put or changed there (procura_jetcomp);
//  2. when `bloqueado`, asks whether to go on;
//  3. takes the database's exclusive in-use lock, held to the end (a
//     database open elsewhere is not compacted, nor one whose lock cannot
//     be asked or whose folder keeps locks to one machine: the
//     "bloqueada" text, then the cause on its own line), removes what an
//     earlier killed compaction left, and brings its journals into the
//     file;
//  4. runs the tool (password on its standard input, the lock passed down)
//     with the wait notice shown, killing it at the time-out;
//  5. accepts the copy only when the tool ended in time with status 0 and
//     the copy opens with the password and passes quick_check; else
//     removes what the tool wrote;
//  6. gives the old database its dated name (a hard link, refused when the
//     name exists) and swaps the copy into the database's name in one step,
//     with the old file's permission bits, under SQLite's own lock too
//     (refused as in step 3 when another program keeps it).
// True when the compacted copy is in place.  On any failure a complete
// database stays under its name, unchanged, no temporary file remains, and
// the user has been told (the messages of the compaction).
bool compacta_bd(Services& servicos, const AmbienteCompactacao& ambiente,
                 const std::string& caminhobd, const std::string& nomebd, const std::string& passwd,
                 bool bloqueado, DetalheCompactacao* detalhe = nullptr);

}  // namespace pezolva
