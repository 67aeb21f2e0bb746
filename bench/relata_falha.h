#pragma once

#include <cstdio>
#include <exception>

#include "engine/error.h"

// Prints the error that ended a benchmark ("number - description" for the
// engine's) and gives the exit status 1.
inline int relata_falha(const std::exception& e) {
    if (const auto* motor = dynamic_cast<const pezolva::engine::EngineError*>(&e)) {
        std::fprintf(stderr, "%d - %s\n", motor->numero(), motor->descricao().c_str());
    } else {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
