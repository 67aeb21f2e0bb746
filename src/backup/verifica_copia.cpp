#include "backup/verifica_copia.h"

#include <future>

#include "engine/database.h"
#include "engine/quoting.h"

namespace pezolva::backup {
namespace {

// Each table holds the rows put into it; nullopt when it does.
std::optional<std::string> conta_linhas(const std::string& caminho, const std::string& ligacao,
                                        const std::vector<TabelaCopiada>& tabelas) {
    try {
        engine::Database db = engine::OpenDatabase(caminho, false, true, ligacao);
        for (const TabelaCopiada& t : tabelas) {
            const auto linhas =
                db.OpenRecordset("select count(*) from " + engine::quote_identifier(t.nome))
                    .Fields(std::size_t{0})
                    .to_integer();
            if (linhas != t.linhas) {
                return "A tabela " + t.nome + " tem " + std::to_string(linhas.value_or(-1)) +
                       " registos em vez de " + std::to_string(t.linhas) + ".";
            }
        }
        return std::nullopt;
    } catch (const engine::EngineError& e) {
        return e.descricao();
    }
}

}  // namespace

std::optional<std::string> verificacao_rapida(const std::string& caminho,
                                              const std::string& ligacao) {
    try {
        engine::Database db = engine::OpenDatabase(caminho, false, true, ligacao);
        const std::string verificacao =
            db.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text();
        if (verificacao != "ok") return "A verificação do ficheiro falhou: " + verificacao;
        return std::nullopt;
    } catch (const engine::EngineError& e) {
        return e.descricao();
    }
}

std::optional<std::string> verifica_copia(const std::string& caminho, const std::string& ligacao,
                                          const std::vector<TabelaCopiada>& tabelas) {
    // The quick check reads every page of the file; the counts go beside it,
    // on a second connection and so on the second core.
    auto contagem = std::async(std::launch::async, conta_linhas, std::cref(caminho),
                               std::cref(ligacao), std::cref(tabelas));
    const std::optional<std::string> falha = verificacao_rapida(caminho, ligacao);
    std::optional<std::string> falha_contagem = contagem.get();
    return falha ? falha : falha_contagem;
}

}  // namespace pezolva::backup
