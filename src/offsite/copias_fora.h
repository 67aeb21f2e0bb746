#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/services.h"
#include "offsite/configuracao.h"
#include "offsite/restic.h"
#include "project/projecto.h"
#include "restore/repor_copias.h"

namespace pezolva::offsite {

// A copy kept in the repository.
struct CopiaFora {
    std::string id;         // the snapshot
    std::string nome_fich;  // the copy's file name, as it was on disk
    std::string bd;         // the database it is a copy of, without ".mdb"
    std::string carimbo;    // "yyyymmddhhnn"
    std::string caminho;    // the file's path inside the snapshot
    std::uint64_t bytes = 0;
};

// The project's copies in the repository, newest first.
std::vector<CopiaFora> lista_copias_fora(Restic& restic, const std::string& projecto);

// Replaces the copy's database in the project folder by it: the copy is
// fetched (restic dump) into a claimed hidden file of the project folder,
// then goes through the same checked, locked replacement as a copy on
// disk, with its database's password.  nullopt when done; otherwise the
// message to show, and the database is as it was.  The fetched file goes
// whatever happens.  Throws ErroRestic when the repository fails.
std::optional<std::string> repoe_de_fora(Services& servicos, const ProjectoActual& projecto,
                                         Restic& restic, const CopiaFora& copia);

// Fetches the copy into a new file `destino` (refused when it exists);
// no part of it remains when that fails.
void extrai_para(Restic& restic, const CopiaFora& copia, const std::string& destino);

// The repository of `config` as a source of the restore window: its folder
// entry "Repositório: …", the project's copies listed afresh at each search
// and one restored by repoe_de_fora.  Nothing reaches the repository until
// the window searches.  `servicos`, `projecto` and `processos` outlive it.
restore::FonteCopias fonte_copias(Services& servicos, const ProjectoActual& projecto,
                                  Processos& processos, const ConfiguracaoOffsite& config);

}  // namespace pezolva::offsite
