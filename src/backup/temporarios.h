#pragma once

#include <string>
#include <vector>

#include "common/file_system.h"
#include "engine/lock_file.h"

namespace pezolva::backup {

// The temporary files of one copy being built, in its destination folder.
//
// Each name is claimed before its file is made: this object holds the
// name's companion lock (shared) until the file is given up, so that
// another backup reclaiming leftovers (recupera_sobras) knows the file is
// alive.  Whatever was not kept goes when the object goes, with its
// journal, WAL, shared-memory and lock files: nothing of an unfinished copy
// outlives the run.  Make the object before any connection to its files
// and let it go after they have closed.
class Temporarios {
public:
    explicit Temporarios(FileSystem& files) : files_(files) {}
    ~Temporarios();
    Temporarios(const Temporarios&) = delete;
    Temporarios& operator=(const Temporarios&) = delete;

    // Claims `caminho` and returns it.  Throws EngineError (ErroEmUso) when
    // someone else holds the name, which a fresh random name never is.
    std::string reclama(const std::string& caminho);
    // Removes the file of a claimed name (when there) and its companions,
    // and gives up the name.  Never throws: a file that cannot be removed
    // carries no copy name, and the next backup reclaims it.
    void apaga(const std::string& caminho);
    // Gives up a claimed name whose file has been renamed to its final
    // name: only its companions go.
    void largar(const std::string& caminho);

private:
    struct Reclamado {
        std::string caminho;
        engine::CompanionLock bloqueio;
    };
    void solta(const std::string& caminho, bool com_ficheiro);
    void liberta(Reclamado& r, bool com_ficheiro);

    FileSystem& files_;
    std::vector<Reclamado> reclamados_;
};

}  // namespace pezolva::backup
