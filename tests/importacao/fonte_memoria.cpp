#include "fonte_memoria.h"

#include <filesystem>

#include "importacao/erro_importacao.h"

namespace pezolva::importacao::testing {
namespace {

class FonteMemoria final : public FonteJet {
  public:
    explicit FonteMemoria(const BaseMemoria& base) : base_(base) {}
    int versao() const override { return base_.versao; }
    std::vector<std::string> tabelas() override {
        std::vector<std::string> nomes;
        for (const TabelaJet& t : base_.tabelas) nomes.push_back(t.nome);
        return nomes;
    }
    TabelaJet tabela(const std::string& nome) override {
        for (const TabelaJet& t : base_.tabelas) {
            if (t.nome == nome) return t;
        }
        throw ErroImportacao("sem a tabela " + nome);
    }
    std::vector<RelacaoJet> relacoes() override { return base_.relacoes; }
    void linhas(const std::string& tabela,
                const std::function<bool(const std::vector<Celula>&)>& linha) override {
        const auto it = base_.linhas.find(tabela);
        if (it == base_.linhas.end()) return;
        for (const std::vector<Celula>& l : it->second) {
            if (!linha(l)) return;
            if (tabela == base_.tabela_ilegivel)
                throw ErroImportacao("página danificada na tabela " + tabela);
        }
    }
    std::vector<std::string> outros_objectos() override { return base_.outros; }
    std::optional<std::string> palavra_passe() const override { return base_.palavra_passe; }

  private:
    const BaseMemoria& base_;
};

}  // namespace

AbreFonte catalogo(const std::map<std::string, BaseMemoria>& bases) {
    return [&bases](const std::string& caminho) -> std::unique_ptr<FonteJet> {
        const auto it = bases.find(std::filesystem::path(caminho).filename().string());
        if (it == bases.end())
            throw ErroImportacao("O ficheiro " + caminho + " não é uma base de dados Jet.");
        return std::make_unique<FonteMemoria>(it->second);
    };
}

Celula nulo() { return {}; }
Celula inteiro(std::int64_t v) { return {Celula::Tipo::Inteiro, v, 0, {}}; }
Celula real(double v) { return {Celula::Tipo::Real, 0, v, {}}; }
Celula texto(std::string v) { return {Celula::Tipo::Texto, 0, 0, std::move(v)}; }
Celula binario(std::string v) { return {Celula::Tipo::Binario, 0, 0, std::move(v)}; }

}  // namespace pezolva::importacao::testing
