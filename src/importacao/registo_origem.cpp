#include "importacao/registo_origem.h"

#include <filesystem>

#include "common/text.h"
#include "importacao/erro_importacao.h"

namespace pezolva::importacao {
namespace {

std::optional<std::string> texto(const TabelaJet& def, const std::vector<Celula>& celulas,
                                 const char* nome) {
    for (std::size_t i = 0; i < def.colunas.size() && i < celulas.size(); ++i) {
        if (iequals(def.colunas[i].nome, nome) && celulas[i].tipo == Celula::Tipo::Texto)
            return celulas[i].texto;
    }
    return std::nullopt;
}

std::vector<std::string> partes(const std::string& caminho) {
    std::vector<std::string> lista;
    std::string parte;
    for (char c : caminho) {
        if (c == '\\' || c == '/') {
            if (!parte.empty()) lista.push_back(parte);
            parte.clear();
        } else {
            parte += c;
        }
    }
    if (!parte.empty()) lista.push_back(parte);
    return lista;
}

}  // namespace

std::optional<std::string> tabela_registo(FonteJet& fonte) {
    for (const std::string& t : fonte.tabelas()) {
        if (iequals(t, "BUPS")) return t;
    }
    return std::nullopt;
}

std::vector<LinhaRegisto> le_registo(FonteJet& fonte) {
    const auto tabela = tabela_registo(fonte);
    if (!tabela) return {};  // the start makes one
    const TabelaJet def = fonte.tabela(*tabela);
    std::vector<LinhaRegisto> linhas;
    fonte.linhas(*tabela, [&](const std::vector<Celula>& c) {
        LinhaRegisto l{texto(def, c, "BUP_NOME_BD").value_or(""),
                       texto(def, c, "BUP_ULT_NOME_ESTRUTURA").value_or(""),
                       texto(def, c, "BUP_CAMINHO_DESTINO").value_or(""),
                       texto(def, c, "BUP_PASSWD")};
        if (!trim(l.base).empty()) linhas.push_back(std::move(l));
        return true;
    });
    return linhas;
}

std::optional<std::string> pasta_no_destino(const std::string& pasta, const std::string& origem,
                                            const std::string& destino) {
    const std::vector<std::string> da_origem =
        partes(std::filesystem::absolute(origem).lexically_normal().string());
    if (da_origem.empty()) return std::nullopt;
    const std::string& nome_origem = da_origem.back();
    const std::vector<std::string> p = partes(pasta);
    for (std::size_t i = p.size(); i-- > 0;) {
        if (!iequals(p[i], nome_origem)) continue;
        std::string dentro = destino;
        for (std::size_t k = i + 1; k < p.size(); ++k) dentro += "/" + p[k];
        return dentro;
    }
    return std::nullopt;
}

}  // namespace pezolva::importacao
