#include "compaction/era_readonly.h"

namespace pezolva {

bool era_readonly(FileSystem& files, Dialogs& dialogs, const std::string& nfich) {
    try {
        if (!files.is_read_only(nfich)) return false;
        files.set_read_only(nfich, false);
        return true;
    } catch (const FileError& e) {
        informa(
            dialogs,
            std::string("A base de dados não existe no caminho especificado. Erro: ") + e.what(),
            "Atenção", Icon::Critical);
        return false;
    }
}

}  // namespace pezolva
