#pragma once

#include <cstdint>
#include <string>

#include "backup/logs_execucao.h"
#include "common/services.h"
#include "offsite/configuracao.h"
#include "offsite/processo.h"
#include "project/projecto.h"

namespace pezolva::offsite {

struct ResumoEnvio {
    int enviadas = 0;               // copies sent in this run
    std::uint64_t bytes_novos = 0;  // what the repository grew by
    int interrompido_por = 0;       // the signal that stopped the sending, 0 when none
};

// The off-site step of a backup run, after the copies took their names.
//
// Sends every copy of the project's registered databases that is on disk
// but not yet in the repository (those of this run, and those an earlier
// run could not send), oldest first, each as a snapshot tagged with the
// project, the database and the copy's stamp, dated by the stamp; then
// keeps only the register's number of copies of each database there; then
// the register's rows and the structure databases, so that the project
// can be rebuilt from the repository alone.  Data is freed (prune) at most
// once a day, as it takes the repository's exclusive lock.
//
// Nothing local is ever touched.  Each copy sent, and the bytes that were
// new, go to the messages; a failure (restic missing, a repository that
// cannot be reached, a wrong password, a full disk) is one line in the
// error log, in Portuguese, and the rest waits for the next run.
ResumoEnvio envia_para_fora(Services& servicos, const ProjectoActual& projecto,
                            const ConfiguracaoOffsite& config, Processos& processos,
                            backup::LogsExecucao& log);

// "1 234 567 bytes" with a space between groups of three digits.
std::string bytes_legiveis(std::uint64_t bytes);

}  // namespace pezolva::offsite
