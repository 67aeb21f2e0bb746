#include "backup/apaga_base.h"

#include "engine/error.h"
#include "engine/lock_file.h"

namespace pezolva::backup {

std::vector<std::string> companheiros(const std::string& caminho) {
    // "<name>.lock" is the lock file as earlier versions named it.
    return {caminho + "-journal", caminho + "-wal", caminho + "-shm", caminho + ".lock",
            engine::companion_path(caminho)};
}

bool apaga_base(FileSystem& files, const std::string& caminho) {
    engine::CompanionLock bloqueio;
    try {
        bloqueio = engine::CompanionLock(caminho, engine::CompanionLock::Mode::Exclusive);
    } catch (const engine::EngineError& e) {
        if (e.numero() == engine::ErroEmUso) return false;
        throw;
    }
    if (files.exists(caminho)) files.remove(caminho);
    // The lock file goes last: until then it keeps others out.
    for (const std::string& c : companheiros(caminho)) {
        if (files.exists(c)) files.remove(c);
    }
    return true;
}

}  // namespace pezolva::backup
