#include "backup/versoes.h"

#include <optional>

#include "common/text.h"

namespace pezolva::backup {
namespace {

// The version of the first row, Null read as empty; nullopt when the table
// cannot be read.
std::optional<std::string> versao(engine::Database& db) {
    try {
        engine::Recordset rs = db.OpenRecordset("select versao from parametros");
        return rs.IsEOF() ? std::string() : rs["versao"].to_text();
    } catch (const engine::EngineError&) {
        return std::nullopt;
    }
}

}  // namespace

void compara_versoes(engine::Database& viva, engine::Database& copia, const std::string& caminho_bd,
                     const std::string& caminho_est, LogsExecucao& log) {
    const auto da_viva = versao(viva);
    const auto da_estrutura = versao(copia);
    if (da_viva && !da_estrutura) {
        log.regista_mensagem("A base de dados " + caminho_bd +
                             " tem tabela de parâmetros, a estrutura não tem. É aconselhável "
                             "verificar as versões.");
    } else if (!da_viva && da_estrutura) {
        log.regista_mensagem("A estrutura da base de dados " + caminho_est +
                             " tem tabela de parâmetros, a actual não tem. É aconselhável "
                             "verificar as versões.");
    } else if (da_viva && da_estrutura && !iequals(*da_viva, *da_estrutura)) {
        log.regista_mensagem("A base de dados " + caminho_bd +
                             " e a estrutura têm versões diferentes. É aconselhável verificar e "
                             "actualizar a mais antiga.");
    }
}

}  // namespace pezolva::backup
