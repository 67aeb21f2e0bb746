#include "compaction/espera_setup_regra.h"

namespace pezolva {

bool EsperaSetup::tique() {
    const std::optional<bool> presente =
        sondas_.janela_presente ? sondas_.janela_presente() : std::optional<bool>();
    if (presente) {
        if (!visto_ && *presente) {
            visto_ = true;
        } else if (visto_ && !*presente) {
            return true;
        }
    }
    return sondas_.processo_vivo && !sondas_.processo_vivo();
}

}  // namespace pezolva
