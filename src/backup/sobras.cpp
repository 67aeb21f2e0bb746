#include "backup/sobras.h"

#include <map>
#include <vector>

#include "backup/nome_copia.h"
#include "common/text.h"
#include "engine/delete_database.h"
#include "engine/error.h"

namespace pezolva::backup {
namespace {

// Whether a temporary copy was made for a copy of `ficheiro_bd`.
bool da_base(const std::string& temporario, const std::string& ficheiro_bd,
             const std::string& base) {
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
        if (const auto t = engine::database_of_file(nome, nome_temporario_de_copia);
            t && da_base(*t, ficheiro_bd, *base))
            grupos[*t].push_back(nome);
    }
    for (const auto& [temporario, nomes] : grupos) {
        std::uint64_t bytes = 0;
        for (const std::string& nome : nomes)
            bytes += files.file_size(join_path(pasta, nome)).value_or(0);
        const std::string caminho = join_path(pasta, temporario);
        try {
            if (!engine::delete_database(files, caminho)) {  // a live backup's, or maybe
                sobras.deixados += static_cast<int>(nomes.size());
                continue;
            }
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
