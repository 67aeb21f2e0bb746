#include "backup/sobras.h"

#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "backup/apaga_base.h"
#include "backup/nome_copia.h"
#include "common/text.h"
#include "engine/error.h"

namespace pezolva::backup {
namespace {

// The temporary copy that the file `nome` is, or belongs to: the file
// itself, its "-journal", "-wal" or "-shm", or its lock file (hidden
// ".<name>.lock", or "<name>.lock" as earlier versions named it).
std::optional<std::string> temporario_de(const std::string& nome) {
    const auto se_temporario = [](std::string_view t) -> std::optional<std::string> {
        if (nome_temporario_de_copia(std::string(t))) return std::string(t);
        return std::nullopt;
    };
    if (nome_temporario_de_copia(nome)) return nome;
    const std::string_view texto = nome;
    for (std::string_view fim : {"-journal", "-wal", "-shm"}) {
        if (texto.ends_with(fim)) return se_temporario(texto.substr(0, texto.size() - fim.size()));
    }
    if (!texto.ends_with(".lock")) return std::nullopt;
    const std::string_view sem_fim = texto.substr(0, texto.size() - 5);
    if (sem_fim.starts_with('.')) {
        if (auto t = se_temporario(sem_fim.substr(1))) return t;
    }
    return se_temporario(sem_fim);
}

// Whether a temporary copy was made for a copy of `ficheiro_bd`.
bool da_base(const std::string& temporario, const std::string& ficheiro_bd, const std::string& base) {
    const auto copia = copia_do_temporario(temporario);
    return copia && istarts_with(*copia, base) && nome_copia_valido(ficheiro_bd, *copia);
}

}  // namespace

Sobras recupera_sobras(FileSystem& files, const std::string& pasta, const std::string& caminho_bd) {
    Sobras sobras;
    const auto base = base_copia(caminho_bd);
    if (!base) return sobras;
    const std::string ficheiro_bd = file_name_of(caminho_bd);

    // Each temporary copy with the files of it that are there.
    std::map<std::string, std::vector<std::string>> grupos;
    for (const std::string& nome : files.list_files(pasta)) {
        if (const auto t = temporario_de(nome); t && da_base(*t, ficheiro_bd, *base)) grupos[*t].push_back(nome);
    }
    for (const auto& [temporario, nomes] : grupos) {
        std::uint64_t bytes = 0;
        for (const std::string& nome : nomes) bytes += files.file_size(join_path(pasta, nome)).value_or(0);
        const std::string caminho = join_path(pasta, temporario);
        try {
            if (!apaga_base(files, caminho)) continue;  // a live backup's
        } catch (const FileError&) {
            continue;
        } catch (const engine::EngineError&) {
            continue;
        }
        sobras.ficheiros += static_cast<int>(nomes.size());
        sobras.bytes += bytes;
    }
    return sobras;
}

}  // namespace pezolva::backup
