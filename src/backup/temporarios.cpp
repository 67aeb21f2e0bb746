#include "backup/temporarios.h"

#include <algorithm>

#include "backup/apaga_base.h"
#include "engine/error.h"

namespace pezolva::backup {

Temporarios::~Temporarios() {
    for (Reclamado& r : reclamados_) liberta(r, true);
}

std::string Temporarios::reclama(const std::string& caminho) {
    reclamados_.push_back({caminho, engine::CompanionLock(caminho, engine::CompanionLock::Mode::Shared)});
    return reclamados_.back().caminho;
}

void Temporarios::apaga(const std::string& caminho) { solta(caminho, true); }

void Temporarios::largar(const std::string& caminho) { solta(caminho, false); }

void Temporarios::solta(const std::string& caminho, bool com_ficheiro) {
    auto it = std::find_if(reclamados_.begin(), reclamados_.end(),
                           [&](const Reclamado& r) { return r.caminho == caminho; });
    if (it == reclamados_.end()) return;
    liberta(*it, com_ficheiro);
    reclamados_.erase(it);
}

void Temporarios::liberta(Reclamado& r, bool com_ficheiro) {
    // Our shared lock goes first: removing takes the exclusive one.
    r.bloqueio.release();
    try {
        if (com_ficheiro) {
            apaga_base(files_, r.caminho);
        } else {
            for (const std::string& c : companheiros(r.caminho)) {
                if (files_.exists(c)) files_.remove(c);
            }
        }
    } catch (const FileError&) {
    } catch (const engine::EngineError&) {
        // Left for the next backup to reclaim.
    }
}

}  // namespace pezolva::backup
