#include "interface/processos_fora.h"

namespace pezolva {
namespace {

offsite::Processos*& actuais() {
    static offsite::ProcessosReais reais;
    static offsite::Processos* p = &reais;
    return p;
}

}  // namespace

offsite::Processos& processos_fora() { return *actuais(); }

ProcessosForaSubstituidos::ProcessosForaSubstituidos(offsite::Processos& p) : antes_(actuais()) {
    actuais() = &p;
}

ProcessosForaSubstituidos::~ProcessosForaSubstituidos() { actuais() = antes_; }

}  // namespace pezolva
