#include "integrity/comparacao.h"

#include <exception>

#include "common/text.h"
#include "engine/error.h"

namespace pezolva::integrity {
namespace {

// Runs one zone of the comparison; an error raised in it is reported and
// ends the zone only.  False when it did so.
template <class Zona, class Relata>
bool zona(Zona&& trabalho, Relata&& relata) {
    try {
        trabalho();
        return true;
    } catch (const engine::EngineError& e) {
        relata(e.numero(), e.descricao());
    } catch (const std::exception& e) {
        relata(static_cast<int>(engine::ErroMotor), std::string(e.what()));
    }
    return false;
}

Diferenca diferenca(TipoDiferenca tipo, const std::string& tabela = {}) {
    Diferenca d;
    d.tipo = tipo;
    d.tabela = tabela;
    return d;
}

}  // namespace

std::string linha_de_erro(int numero, const std::string& descricao) {
    return std::to_string(numero) + " - " + descricao;
}

void Comparacao::regista_falha(int numero, const std::string& descricao) {
    relatorio_.regista_erro(linha_de_erro(numero, descricao));
}

void Comparacao::regista(Diferenca d, const Lado& x, const Lado& y) {
    d.base = a_ != nullptr ? a_->nome() : x.nome();
    d.estrutura = b_ != nullptr ? b_->nome() : y.nome();
    d.lado = x.nome();
    d.outro = y.nome();
    relatorio_.regista_diferenca(std::move(d));
}

void Comparacao::visita(std::int64_t& contador) {
    ++estado_.n_bd;
    ++estado_.n_geral;
    ++contador;
}

void Comparacao::compara_bases(Lado& a, Lado& b) {
    a_ = &a;
    b_ = &b;
    const auto falha = [this](int n, const std::string& d) { regista_falha(n, d); };
    zona(
        [&] {
            const bool tem_a = a.abre_versao();
            const bool tem_b = b.abre_versao();
            if (tem_a && tem_b) {
                const std::string va = a.le_versao(), vb = b.le_versao();
                if (!iequals(va, vb)) {
                    Diferenca d = diferenca(TipoDiferenca::Versoes);
                    d.valor = va;
                    d.valor_outro = vb;
                    regista(std::move(d), a, b);
                    return;
                }
            } else if (tem_a != tem_b) {
                Lado& sem = tem_a ? b : a;
                regista(diferenca(TipoDiferenca::SemVersao), sem, tem_a ? a : b);
                return;
            }
            if (!estado_.a_verificar) return;
            estado_.bd_actual = a.nome();
            ++estado_.n_bds;
            if (estado_.a_verificar) compara_tabelas(a, b, false);
            if (estado_.a_verificar) compara_tabelas(b, a, true);
            if (estado_.a_verificar) compara_relacoes(a, b);
            if (estado_.a_verificar) compara_relacoes(b, a);
        },
        falha);
    a_ = b_ = nullptr;
}

void Comparacao::compara_tabelas(Lado& x, Lado& y, bool assinala_falta) {
    zona(
        [&] {
            for (const TabelaLida& tx : x.tabelas()) {
                if (!estado_.a_verificar) return;
                if (tabela_de_sistema(tx.nome)) continue;
                visita(estado_.n_tabelas);
                estado_.tabela_actual = tx.nome;
                if (const TabelaLida* ty = y.procura_tabela(tx.chave)) {
                    compara_campos(x, tx, y, *ty);
                    compara_indices(x, tx, y, *ty);
                } else if (assinala_falta) {
                    regista(diferenca(TipoDiferenca::TabelaEmFalta, tx.nome), x, y);
                }
            }
        },
        [this](int n, const std::string& d) { regista_falha(n, d); });
}

void Comparacao::compara_campos(Lado& x, const TabelaLida& tx, Lado& y, const TabelaLida& ty) {
    zona(
        [&] {
            const std::vector<CampoLido>& outros = y.campos(ty);
            for (const CampoLido& f : x.campos(tx)) {
                visita(estado_.n_campos);
                estado_.campo_actual = f.nome;
                estado_.mostra();
                const CampoLido* g = procura(outros, f.chave);
                if (g == nullptr) {
                    Diferenca d = diferenca(TipoDiferenca::CampoEmFalta, tx.nome);
                    d.campo = f.nome;
                    regista(std::move(d), x, y);
                    continue;
                }
                Diferenca d = diferenca(TipoDiferenca::Tamanho, tx.nome);
                d.tabela_outro = ty.nome;
                d.campo = f.nome;
                d.campo_outro = g->nome;
                if (f.tamanho != g->tamanho) {
                    d.tipo = TipoDiferenca::Tamanho;
                    d.valor = std::to_string(f.tamanho);
                    d.valor_outro = std::to_string(g->tamanho);
                    regista(d, x, y);
                }
                if (f.tipo != g->tipo) {
                    d.tipo = TipoDiferenca::Tipo;
                    d.valor = std::to_string(f.tipo);
                    d.valor_outro = std::to_string(g->tipo);
                    regista(d, x, y);
                }
            }
        },
        [this](int n, const std::string& d) { regista_falha(n, d); });
}

void Comparacao::compara_indices(Lado& x, const TabelaLida& tx, Lado& y, const TabelaLida& ty) {
    // An error here ends the tables pass that called it, as the zones have it.
    const std::vector<IndiceLido>& outros = y.indices(ty);
    for (const IndiceLido& i : x.indices(tx)) {
        visita(estado_.n_indices);
        estado_.indice_actual = i.nome;
        estado_.mostra();
        if (procura(outros, i.chave) == nullptr) {
            Diferenca d = diferenca(TipoDiferenca::IndiceEmFalta, tx.nome);
            d.indice = i.nome;
            regista(std::move(d), x, y);
        }
    }
}

void Comparacao::compara_relacoes(Lado& x, Lado& y) {
    // A relations pass traps nothing of its own: its errors end the pair.
    for (const RelacaoLida& r : x.relacoes()) {
        visita(estado_.n_relacoes);
        estado_.relacao_actual = r.nome;
        estado_.mostra();
        if (y.procura_relacao(r.chave, r.chave_tabela) == nullptr) {
            Diferenca d = diferenca(TipoDiferenca::RelacaoEmFalta, r.tabela);
            d.relacao = r.nome;
            regista(std::move(d), x, y);
        }
    }
}

}  // namespace pezolva::integrity
