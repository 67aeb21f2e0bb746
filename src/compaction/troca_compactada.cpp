#include "compaction/troca_compactada.h"

#include <sys/stat.h>

#include <optional>

#include "compaction/nomes_compactacao.h"
#include "engine/compact_file.h"
#include "engine/error.h"
#include "engine/journals_aside.h"
#include "engine/lock_file.h"
#include "engine/swap_lock.h"

namespace pezolva {
namespace {

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

}  // namespace

void apaga_com_companheiros(FileSystem& files, const std::string& caminho) {
    for (const std::string& c : {caminho, caminho + "-journal", caminho + "-wal", caminho + "-shm",
                                 engine::companion_path(caminho),
                                 engine::partial_compaction_path(caminho),
                                 engine::companion_path(engine::partial_compaction_path(caminho))}) {
        apaga_se_existe(files, c);
    }
}

std::optional<std::string> troca_compactada(FileSystem& files, const FicheirosCompactacao& f, bool* bloqueada) {
    if (bloqueada != nullptr) *bloqueada = false;
    try {
        files.link_no_replace(f.base, f.antiga);
    } catch (const FileError& e) {
        return e.what();
    }
    std::optional<engine::SwapLock> sqlite;
    std::optional<engine::JournalsAside> diarios;
    const auto desfaz = [&](const std::string& causa) {
        if (diarios) diarios->bring_back();
        apaga_se_existe(files, f.antiga);
        return causa;
    };
    try {
        sqlite.emplace(f.base);
        diarios.emplace(files, f.base, f.antiga);
        files.set_permissions(f.temporario, files.permissions(f.base).value_or(0600));
        files.exchange(f.temporario, f.base);
    } catch (const FileError& e) {
        return desfaz(e.what());
    } catch (const engine::EngineError& e) {
        if (bloqueada != nullptr) *bloqueada = e.numero() == engine::ErroEmUso;
        return desfaz(e.descricao());
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
