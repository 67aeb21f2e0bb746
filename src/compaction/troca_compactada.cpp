#include "compaction/troca_compactada.h"

#include <sys/stat.h>

#include <optional>

#include "compaction/nomes_compactacao.h"
#include "engine/compact_file.h"
#include "engine/delete_database.h"
#include "engine/error.h"
#include "engine/journals_aside.h"
#include "engine/lock_file.h"
#include "engine/swap_lock.h"

namespace pezolva {
namespace {

bool mesmo_ficheiro(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
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
    for (const std::string& c : {caminho, engine::partial_compaction_path(caminho)}) {
        try {
            engine::delete_database(files, c);
        } catch (const FileError&) {
        } catch (const engine::EngineError&) {
        }
    }
}

std::optional<std::string> troca_compactada(FileSystem& files, const FicheirosCompactacao& f,
                                            bool* bloqueada) {
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

void apaga_sobras_compactacao(FileSystem& files, const std::string& caminhobd,
                              const std::string& nomebd) {
    const std::string base = join_path(caminhobd, nomebd);
    try {
        // Copies and partial copies go as every killed run's leftovers go:
        // with their companions, unless somebody holds them (a tool that
        // outlived its run still writing).
        engine::delete_leftovers(files, caminhobd, [&](const std::string& nome) {
            return e_sobra_temporaria(nomebd, nome);
        });
        for (const std::string& nome : files.list_files(caminhobd)) {
            const std::string caminho = join_path(caminhobd, nome);
            // A dated name given to the database itself before a swap that
            // did not happen: only that second name goes.
            if (e_nome_antiga(nomebd, nome) && mesmo_ficheiro(caminho, base))
                apaga_se_existe(files, caminho);
        }
    } catch (const FileError&) {
        // A folder that cannot be listed: what is there waits for the next
        // compaction, and this one finds out what is wrong on its own.
    }
}

}  // namespace pezolva
