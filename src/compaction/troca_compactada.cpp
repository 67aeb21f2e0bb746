#include "compaction/troca_compactada.h"

#include <sys/stat.h>

#include <vector>

#include "compaction/nomes_compactacao.h"
#include "engine/compact_file.h"
#include "engine/lock_file.h"

namespace pezolva {
namespace {

constexpr const char* kDiarios[] = {"-journal", "-wal"};

bool mesmo_ficheiro(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void apaga_se_existe(FileSystem& files, const std::string& caminho) {
    try {
        if (files.exists(caminho)) files.remove(caminho);
    } catch (const FileError&) {
    }
}

// Step 2: journals left beside the database go beside its dated name; the
// shared-memory index is only a cache and goes.  Returns those moved.
std::vector<std::string> leva_diarios(FileSystem& files, const FicheirosCompactacao& f) {
    std::vector<std::string> levados;
    try {
        for (const char* fim : kDiarios) {
            if (!files.exists(f.base + fim)) continue;
            files.rename_no_replace(f.base + fim, f.antiga + fim);
            levados.push_back(fim);
        }
    } catch (const FileError&) {
        for (const std::string& fim : levados) files.rename_no_replace(f.antiga + fim, f.base + fim);
        throw;
    }
    apaga_se_existe(files, f.base + "-shm");
    return levados;
}

}  // namespace

void apaga_com_companheiros(FileSystem& files, const std::string& caminho) {
    for (const std::string& c : {caminho, caminho + "-journal", caminho + "-wal", caminho + "-shm",
                                 engine::companion_path(caminho),
                                 engine::partial_compaction_path(caminho),
                                 engine::companion_path(engine::partial_compaction_path(caminho))}) {
        apaga_se_existe(files, c);
    }
}

std::optional<std::string> troca_compactada(FileSystem& files, const FicheirosCompactacao& f) {
    try {
        files.link_no_replace(f.base, f.antiga);
    } catch (const FileError& e) {
        return e.what();
    }
    std::vector<std::string> levados;
    try {
        levados = leva_diarios(files, f);
        files.set_permissions(f.temporario, files.permissions(f.base).value_or(0600));
        files.exchange(f.temporario, f.base);
    } catch (const FileError& e) {
        for (const std::string& fim : levados) {
            try {
                files.rename_no_replace(f.antiga + fim, f.base + fim);
            } catch (const FileError&) {
            }
        }
        apaga_se_existe(files, f.antiga);
        return e.what();
    }
    // The old file, now also under the temporary name: only that name goes.
    apaga_se_existe(files, f.temporario);
    return std::nullopt;
}

void apaga_sobras_compactacao(FileSystem& files, const std::string& caminhobd, const std::string& nomebd) {
    const std::string base = join_path(caminhobd, nomebd);
    for (const std::string& nome : files.list_files(caminhobd)) {
        const std::string caminho = join_path(caminhobd, nome);
        if (e_sobra_temporaria(nomebd, nome)) {
            apaga_com_companheiros(files, caminho);
        } else if (e_nome_antiga(nomebd, nome) && mesmo_ficheiro(caminho, base)) {
            apaga_se_existe(files, caminho);
        }
    }
}

}  // namespace pezolva
