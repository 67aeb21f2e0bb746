#pragma once

#include "common/file_system.h"
#include "engine/error.h"
#include "pezolva/mnt.h"

namespace pezolva {

// Runs an operation of mnt, turning the errors the component does not
// handle itself into `erro`, a type the host can catch across the library
// boundary.
template <typename F>
auto para_o_anfitriao(F&& operacao) -> decltype(operacao()) {
    try {
        return operacao();
    } catch (const FileError& e) {
        throw erro(e.error_number(), e.what());
    } catch (const engine::EngineError& e) {
        throw erro(e.numero(), e.descricao());
    }
}

}  // namespace pezolva
