#include "integrity/execucao.h"

#include "common/file_system.h"
#include "common/text.h"
#include "engine/error.h"
#include "integrity/comparacao.h"
#include "integrity/lado.h"
#include "register/bups.h"

namespace pezolva::integrity {
namespace {

// A register column that must be text: Null cannot be read as a name.
// Error 94 is the number the system gives to that use of Null.
constexpr int kErroNulo = 94;

void exige_texto(const Value& valor, const char* coluna, const Value& nome_bd) {
    if (valor.is_null()) {
        const std::string de =
            nome_bd.is_null() ? std::string() : " da base de dados " + nome_bd.to_text();
        throw engine::EngineError(kErroNulo, std::string("Utilização inválida de Null: a coluna ") +
                                                 coluna + " do registo" + de +
                                                 " está vazia (Null).");
    }
}

std::string pasta_com_barra(const std::string& pasta) {
    return pasta.empty() ? pasta : pasta + "/";
}

engine::Database abre(const std::string& caminho, const std::string& ligacao) {
    return engine::OpenDatabase(caminho, false, true, ligacao);
}

}  // namespace

std::vector<LinhaRegisto> le_registo(engine::Database& principal) {
    engine::Recordset rs = principal.OpenRecordset("select * from BUPS");
    const bool tem_passwd = rs.FieldDefs().Contains(bups::kPasswd);
    std::vector<LinhaRegisto> linhas;
    while (!rs.IsEOF()) {
        linhas.push_back({rs[bups::kNomeBd], rs[bups::kUltNomeEstrutura],
                          tem_passwd ? rs[bups::kPasswd] : Value()});
        rs.MoveNext();
    }
    return linhas;
}

FicheirosLinha localiza(const LinhaRegisto& linha, const std::string& caminho_projecto) {
    FicheirosLinha f;
    std::string pasta_base, pasta_estrutura;
    separa_ultimo(nulo_para(linha.nome_bd, Value(std::string())).to_text(), '/', f.nome_base,
                  pasta_base);
    separa_ultimo(nulo_para(linha.estrutura, Value(std::string())).to_text(), '/', f.nome_estrutura,
                  pasta_estrutura);
    if (pasta_base.empty()) pasta_base = caminho_projecto;
    if (pasta_estrutura.empty()) pasta_estrutura = pasta_base;
    f.base = pasta_com_barra(pasta_base) + f.nome_base;
    f.estrutura = pasta_com_barra(pasta_estrutura) + f.nome_estrutura;
    f.ligacao = ligacao_da_linha(linha.passwd);
    return f;
}

std::optional<std::vector<LinhaRegisto>> Verificacao::carrega_bups(engine::Database& principal) {
    std::optional<std::vector<LinhaRegisto>> linhas;
    try {
        linhas = le_registo(principal);
    } catch (const engine::EngineError&) {
    }
    if (!linhas || linhas->empty()) {
        relatorio_.regista_erro("Não foi encontrada a tabela BUPS na base de dados principal.");
        return std::nullopt;
    }
    return linhas;
}

void Verificacao::conta_objectos(const std::vector<LinhaRegisto>& linhas) {
    estado_.tot_bds = static_cast<std::int64_t>(linhas.size());
    for (const LinhaRegisto& linha : linhas) {
        const FicheirosLinha f = localiza(linha, caminho_);
        for (const std::string* caminho : {&f.base, &f.estrutura}) {
            engine::Database base;
            try {
                base = abre(*caminho, f.ligacao);
            } catch (const engine::EngineError&) {
                relatorio_.regista_erro("O ficheiro " +
                                        nulo_para(linha.estrutura, Value(std::string())).to_text() +
                                        " não foi encontrado. Configure os parâmetros de Backups");
                break;
            }
            try {
                const Totais t = Lado(*caminho, base).totais();
                estado_.tot_tabelas += t.tabelas;
                estado_.tot_campos += t.campos;
                estado_.tot_indices += t.indices;
                estado_.tot_relacoes += t.relacoes;
            } catch (const engine::EngineError&) {
                // A count that cannot be made only leaves the totals short.
            }
        }
    }
    estado_.tot_geral +=
        estado_.tot_tabelas + estado_.tot_campos + estado_.tot_indices + estado_.tot_relacoes;
    estado_.mostra();
}

FimVerificacao Verificacao::executa(engine::Database& principal, bool mantem_contagem) {
    if (estado_.a_verificar) return FimVerificacao::Interrompida;
    estado_.a_verificar = true;
    estado_.n_geral = 0;
    if (!mantem_contagem) relatorio_.limpa();
    FimVerificacao fim = FimVerificacao::Falhou;
    try {
        fim = percorre(principal);
    } catch (const engine::EngineError& e) {
        relatorio_.regista_erro(linha_de_erro(e.numero(), e.descricao()));
    } catch (const FileError& e) {
        relatorio_.regista_erro(linha_de_erro(e.error_number(), e.what()));
    }
    relatorio_.regista_linha("Concluido.");
    estado_.limpa_contadores();
    estado_.a_verificar = false;
    estado_.mostra();
    return fim;
}

FimVerificacao Verificacao::percorre(engine::Database& principal) {
    const std::vector<LinhaRegisto> linhas = le_registo(principal);
    // An empty register cannot be walked: the error of its missing first row.
    if (linhas.empty()) throw engine::no_current_record();
    for (const LinhaRegisto& linha : linhas) {
        if (!estado_.a_verificar) return FimVerificacao::Interrompida;
        if (!verifica_linha(linha)) return FimVerificacao::Falhou;
    }
    return estado_.a_verificar ? FimVerificacao::Concluida : FimVerificacao::Interrompida;
}

bool Verificacao::verifica_linha(const LinhaRegisto& linha) {
    exige_texto(linha.nome_bd, bups::kNomeBd, linha.nome_bd);
    exige_texto(linha.estrutura, bups::kUltNomeEstrutura, linha.nome_bd);
    const FicheirosLinha f = localiza(linha, caminho_);
    if (f.nome_base.empty() || f.nome_estrutura.empty()) {
        relatorio_.regista_erro("A parametrização está mal configurada");
        return false;
    }
    engine::Database bases[2];
    const std::string* caminhos[2] = {&f.base, &f.estrutura};
    for (int i = 0; i < 2; ++i) {
        try {
            bases[i] = abre(*caminhos[i], f.ligacao);
        } catch (const engine::EngineError& e) {
            relatorio_.regista_erro("Não foi possível abrir o ficheiro " + *caminhos[i] + ".\r\n" +
                                    e.descricao());
            return false;
        }
    }
    Lado a(f.base, bases[0]);
    Lado b(f.estrutura, bases[1]);
    estado_.tot_bd = a.totais().soma() + b.totais().soma();
    estado_.n_bd = 0;
    estado_.mostra();
    relatorio_.regista_linha("A verificar base de dados " + f.base + " com " + f.estrutura + ".");
    Comparacao(estado_, relatorio_).compara_bases(a, b);
    return true;
}

}  // namespace pezolva::integrity

namespace pezolva::integrity {

FimVerificacao verifica_projecto(const ProjectoActual& projecto, EstadoVerificacao& estado,
                                 Relatorio& relatorio) {
    engine::Database principal;
    try {
        principal = abre(projecto.base_principal(), projecto.ligacao());
    } catch (const engine::EngineError& e) {
        relatorio.limpa();
        relatorio.regista_erro(linha_de_erro(e.numero(), e.descricao()));
        return FimVerificacao::Falhou;
    }
    relatorio.limpa();
    Verificacao verificacao(projecto.caminho, estado, relatorio);
    const auto linhas = verificacao.carrega_bups(principal);
    if (!linhas) return FimVerificacao::Falhou;
    verificacao.conta_objectos(*linhas);
    return verificacao.executa(principal, true);
}

}  // namespace pezolva::integrity
