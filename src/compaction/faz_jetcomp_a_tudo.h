#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/services.h"
#include "compaction/compacta_bd.h"
#include "project/projecto.h"

namespace pezolva {

// Told before each database's compaction: its name.
using AntesDeCompactar = std::function<void(const std::string& nomebd)>;

// Told after each database's compaction: its name, whether it succeeded,
// and how (the dated name kept, or the cause of the failure).
using DepoisDeCompactar = std::function<void(const std::string& nomebd, bool compactada,
                                             const DetalheCompactacao& detalhe)>;

// Compacts the current project's main database, then every other database
// of its register in register order (each looked for in the project
// folder, its read-only attribute cleared first, with the row's password):
//  1. the main database; when that fails, false at once;
//  2. the register, read from the main database;
//  3. each row whose name differs from the main database's (an empty name
//     is passed over); a failure does not stop the loop, a standing stop
//     request (engine/interruption.h) does.
// True only when every compaction succeeded.  Engine errors opening the
// register are thrown.
bool faz_jetcomp_a_tudo(Services& servicos, const AmbienteCompactacao& ambiente,
                        const ProjectoActual& projecto,
                        const std::function<bool(const std::string& nfich)>& era_readonly,
                        const DepoisDeCompactar& depois = {}, const AntesDeCompactar& antes = {});

// One database's compaction, as a run's summary lists it.
struct CompactacaoFeita {
    std::string nomebd;
    bool compactada = false;
    DetalheCompactacao detalhe;
};

// What a run did, for the person who asked for it: how many of the
// databases tried were compacted, then one line each, with the dated file
// that keeps the old database or the cause of the failure.
std::string resumo_compactacao(const std::vector<CompactacaoFeita>& feitas);

}  // namespace pezolva
