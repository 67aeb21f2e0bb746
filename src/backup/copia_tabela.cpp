#include "backup/copia_tabela.h"

#include "engine/quoting.h"

namespace pezolva::backup {

using engine::quote_identifier;
using engine::quote_literal;

bool copia_tabela(engine::Database& viva, const std::string& caminho_copia,
                  const std::string& tabela, std::int64_t& total_registos,
                  std::int64_t& inseridas) {
    inseridas = 0;
    try {
        const std::string nome = quote_identifier(tabela);
        const std::int64_t n = viva.OpenRecordset("select count(*) from " + nome)
                                   .Fields(std::size_t{0})
                                   .to_integer()
                                   .value_or(-1);
        viva.Execute("insert into " + nome + " in " + quote_literal(caminho_copia) +
                     " select * from " + nome);
        inseridas = viva.RecordsAffected();
        total_registos += n;
        return n == inseridas;
    } catch (const engine::EngineError&) {
        return false;
    }
}

}  // namespace pezolva::backup
