#include "compaction/procura_janela.h"

#include "compaction/padrao_like.h"

namespace pezolva {

std::optional<std::uint64_t> procura_janela(const std::vector<JanelaSistema>& janelas,
                                            const std::string& padrao_titulo,
                                            const std::string& padrao_classe) {
    for (const JanelaSistema& j : janelas) {
        if (auto encontrada = procura_janela(j.filhas, padrao_titulo, padrao_classe))
            return encontrada;
        if (corresponde_like(j.titulo, padrao_titulo) &&
            corresponde_like(j.classe, padrao_classe)) {
            return j.id;
        }
    }
    return std::nullopt;
}

}  // namespace pezolva
