#include "backup/copia_tabela.h"

namespace pezolva::backup {

bool copia_tabela(engine::CopySession& sessao, const std::string& tabela,
                  std::int64_t& total_registos, std::int64_t& inseridas) {
    inseridas = 0;
    try {
        const engine::CopiedRows linhas = sessao.CopyTable(tabela);
        inseridas = linhas.kept;
        total_registos += linhas.read;
        return linhas.read == linhas.kept;
    } catch (const engine::EngineError&) {
        if (sessao.Broken()) throw;
        return false;
    }
}

}  // namespace pezolva::backup
