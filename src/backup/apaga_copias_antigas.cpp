#include "backup/apaga_copias_antigas.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "engine/delete_database.h"
#include "register/copias_da_base.h"

namespace pezolva::backup {

std::vector<std::string> apaga_copias_antigas(FileSystem& files, const std::string& caminho_bd,
                                              int manter, const std::string& pasta,
                                              const std::string& copia_nova) {
    std::vector<std::string> em_uso;
    if (manter <= 0 || !base_copia(caminho_bd)) return em_uso;
    struct Copy {
        std::string folded;
        std::string name;
    };
    std::vector<Copy> deletable;
    std::size_t count = 0;
    for (std::string& nome : files.list_files(pasta)) {
        if (!carimbo_de_copia(caminho_bd, nome, LeituraCopia::ParaApagar)) continue;
        ++count;
        if (!copia_nova.empty() && nome == copia_nova) continue;
        deletable.push_back({fold_case(nome), std::move(nome)});
    }
    if (count <= static_cast<std::size_t>(manter)) return em_uso;

    // Stable, so that of names equal but for case the first listed goes first.
    std::stable_sort(deletable.begin(), deletable.end(),
                     [](const Copy& a, const Copy& b) { return a.folded < b.folded; });
    const std::size_t surplus =
        std::min(count - static_cast<std::size_t>(manter), deletable.size());
    for (std::size_t i = 0; i < surplus; ++i) {
        if (!engine::delete_database(files, join_path(pasta, deletable[i].name)))
            em_uso.push_back(deletable[i].name);
    }
    return em_uso;
}

}  // namespace pezolva::backup
