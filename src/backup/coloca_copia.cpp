#include "backup/coloca_copia.h"

#include <cerrno>

namespace pezolva::backup {
namespace {

bool troca_impossivel(const FileError& e) {
    return e.error_number() == EINVAL || e.error_number() == ENOSYS || e.error_number() == EOPNOTSUPP;
}

std::string em_dois_passos(FileSystem& files, const std::string& pronta, const std::string& caminho_copia,
                           const std::string& de_lado) {
    files.rename_no_replace(caminho_copia, de_lado);
    try {
        files.rename_no_replace(pronta, caminho_copia);
    } catch (const FileError&) {
        files.rename_no_replace(de_lado, caminho_copia);
        throw;
    }
    return de_lado;
}

}  // namespace

std::optional<std::string> coloca_copia(FileSystem& files, const std::string& pronta,
                                        const std::string& caminho_copia, const std::string& de_lado) {
    if (!files.exists(caminho_copia)) {
        files.rename_no_replace(pronta, caminho_copia);
        return std::nullopt;
    }
    try {
        files.exchange(pronta, caminho_copia);
        return pronta;
    } catch (const FileError& e) {
        if (!troca_impossivel(e)) throw;
    }
    return em_dois_passos(files, pronta, caminho_copia, de_lado);
}

}  // namespace pezolva::backup
