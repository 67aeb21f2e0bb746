#include "interface/compactacao_anfitriao.h"

#include <dlfcn.h>

#include <QApplication>
#include <algorithm>
#include <filesystem>

#include "compaction/ui/espera_setup.h"
#include "interface/estado.h"

namespace pezolva {

std::vector<std::string> pastas_dos_programas() {
    std::vector<std::string> pastas;
    std::error_code ec;
    const std::filesystem::path programa = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) pastas.push_back(programa.parent_path().string());
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&pastas_dos_programas), &info) != 0 &&
        info.dli_fname != nullptr) {
        const std::string biblioteca =
            std::filesystem::weakly_canonical(info.dli_fname, ec).parent_path().string();
        if (!ec && (pastas.empty() || pastas.front() != biblioteca)) pastas.push_back(biblioteca);
        // Installed, the tool is in the prefix's bin beside the library's
        // lib: a host installed elsewhere finds it there.
        const std::string bin =
            std::filesystem::weakly_canonical(std::filesystem::path(biblioteca) / ".." / "bin", ec)
                .string();
        if (!ec && std::find(pastas.begin(), pastas.end(), bin) == pastas.end())
            pastas.push_back(bin);
    }
    return pastas;
}

AmbienteDoAnfitriao::AmbienteDoAnfitriao() {
    ambiente_.projecto = estado().projecto_actual.projecto;
    ambiente_.pastas_programa = pastas_dos_programas();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        aviso_ = std::make_unique<AvisoEsperaJanela>(QApplication::activeWindow());
        ambiente_.aviso = aviso_.get();
    }
}

AmbienteDoAnfitriao::~AmbienteDoAnfitriao() = default;

}  // namespace pezolva
