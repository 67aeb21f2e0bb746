#include "backup/copia_tabela.h"

namespace pezolva::backup {

bool falha_so_da_tabela(const engine::EngineError& e) {
    return e.numero() == engine::ErroTabelaInexistente || e.numero() == engine::ErroColuna;
}

bool copia_tabela(engine::CopySession& sessao, const std::string& tabela, std::int64_t& total_registos,
                  std::int64_t& inseridas) {
    inseridas = 0;
    try {
        const engine::CopiedRows linhas = sessao.CopyTable(tabela);
        inseridas = linhas.kept;
        total_registos += linhas.read;
        return linhas.read == linhas.kept;
    } catch (const engine::EngineError& e) {
        if (falha_so_da_tabela(e)) return false;
        throw;
    }
}

}  // namespace pezolva::backup
