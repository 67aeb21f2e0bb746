#include "backup/copia_base_dados.h"

#include <optional>

#include "backup/apaga_copias_antigas.h"
#include "backup/construcao_copia.h"
#include "backup/nome_copia.h"
#include "backup/pasta_destino.h"
#include "backup/sobras.h"
#include "backup/tempos_etapas.h"
#include "common/text.h"
#include "engine/database.h"
#include "engine/temporary_files.h"
#include "register/bups.h"
#include "register/copias_da_base.h"

namespace pezolva::backup {
namespace {

namespace col = pezolva::bups;
using engine::EngineError;

// "1 234 567" bytes, as a person reads them.
std::string em_bytes(std::uint64_t n) {
    std::string digitos = std::to_string(n), texto;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i > 0 && (digitos.size() - i) % 3 == 0) texto += ' ';
        texto += digitos[i];
    }
    return texto;
}

}  // namespace

// The working values of one copy, from its register row.
struct CopiaBaseDados::Pedido {
    std::string nome_bd_registo;
    std::int64_t manter = 0;
    DateTime inicio;
    std::string pasta_bd;
    std::string destino;  // the row's destination folder; empty: beside the database
    PlanoCopia plano;
};

bool CopiaBaseDados::le_pedido(engine::Recordset& registo, Pedido& p) {
    p.nome_bd_registo = registo[col::kNomeBd].to_text();
    p.manter = nulo_para(registo[col::kCopiasAManter], 0).to_integer().value_or(0);
    if (p.manter <= 0) {
        log_.regista_erro("A base de dados " + p.nome_bd_registo +
                          " tem número de cópias a manter igual a zero. Não foi efectuada cópia.");
        return false;
    }
    p.inicio = servicos_.clock.now();
    if (progresso_.visivel()) {
        progresso_.barra(0, 1, 0);
        progresso_.mostra("a preparar cópia", "");
        progresso_.cede();
    }
    std::string ficheiro_est, pasta_est;
    separa_ultimo(p.nome_bd_registo, '/', p.plano.ficheiro_bd, p.pasta_bd);
    separa_ultimo(registo[col::kUltNomeEstrutura].to_text(), '/', ficheiro_est, pasta_est);
    if (p.pasta_bd.empty()) p.pasta_bd = projecto_.caminho;
    if (pasta_est.empty()) pasta_est = p.pasta_bd;
    // A name of fewer than four characters has no copy name either.
    if (p.plano.ficheiro_bd.empty() || ficheiro_est.empty() || !base_copia(p.plano.ficheiro_bd)) {
        log_.regista_erro("A parametrização da base de dados " + p.nome_bd_registo +
                          " não está correcta.");
        return false;
    }
    p.plano.caminho_bd = join_path(p.pasta_bd, p.plano.ficheiro_bd);
    p.plano.caminho_est = join_path(pasta_est, ficheiro_est);
    p.plano.ligacao = ligacao_da_linha(registo[col::kPasswd]);
    p.destino = registo[col::kCaminhoDestino].to_text();
    return true;
}

bool CopiaBaseDados::prepara_pasta(Pedido& p) {
    const std::string pasta_copia = pasta_das_copias(p.destino, p.pasta_bd);
    p.plano.caminho_copia =
        join_path(pasta_copia, nome_copia(p.plano.caminho_bd, servicos_.clock.now()));
    if (!p.destino.empty() && !servicos_.files.is_directory(p.destino)) {
        const bool criar = pergunta_sim_nao(
            servicos_.dialogs,
            "A pasta " + p.destino + " não existe. Deseja criar a pasta automaticamente?",
            "Atenção", true);
        if (!criar) {
            log_.regista_erro("Não foi possível copiar o ficheiro " + p.plano.caminho_est +
                              " para " + p.plano.caminho_copia + ". Não existe a pasta.");
            return false;
        }
        if (!cria_pasta_por_niveis(servicos_.files, p.destino)) {
            log_.regista_erro("Não foi possível criar a pasta " + p.destino + ".");
            return false;
        }
    }
    const Sobras sobras = recupera_sobras(servicos_.files, pasta_copia, p.plano.caminho_bd);
    if (sobras.ficheiros > 0) {
        log_.regista_mensagem(
            "Foram apagados " + std::to_string(sobras.ficheiros) + " ficheiros temporários (" +
            em_bytes(sobras.bytes) + " bytes) deixados na pasta " + pasta_copia +
            " por cópias interrompidas da base de dados " + p.plano.caminho_bd + ".");
    }
    if (sobras.deixados > 0) {
        log_.regista_mensagem(aviso_deixados(sobras, pasta_copia, p.plano.caminho_bd));
    }
    return true;
}

void CopiaBaseDados::apaga_antigas(const Pedido& p) {
    std::string nome, pasta_copia;
    separa_ultimo(p.plano.caminho_copia, '/', nome, pasta_copia);
    try {
        for (const std::string& em_uso :
             apaga_copias_antigas(servicos_.files, p.plano.caminho_bd, static_cast<int>(p.manter),
                                  pasta_copia, nome)) {
            log_.regista_mensagem("A cópia antiga " + join_path(pasta_copia, em_uso) +
                                  " não foi apagada porque está aberta noutro programa.");
        }
    } catch (const FileError& e) {
        log_.regista_erro("Não foi possível apagar as cópias antigas da base de dados " +
                          p.plano.caminho_bd + ". " + e.what());
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível apagar as cópias antigas da base de dados " +
                          p.plano.caminho_bd + ". " + e.descricao());
    }
}

void CopiaBaseDados::regista_estatisticas(engine::Recordset& registo, const Pedido& p,
                                          std::int64_t total_registos) {
    std::string nome, pasta_copia;
    separa_ultimo(p.plano.caminho_copia, '/', nome, pasta_copia);
    try {
        const DateTime fim = servicos_.clock.now();
        const auto tamanho = servicos_.files.file_size(p.plano.caminho_bd);
        registo.Edit();
        registo.SetField(col::kUltData, fim.date_part());
        registo.SetField(col::kUltHora, fim.time_part());
        registo.SetField(col::kUltDuracao, minute_boundaries_between(p.inicio, fim));
        registo.SetField(col::kUltDestino, pasta_copia);
        registo.SetField(col::kUltTamanho,
                         tamanho ? static_cast<std::int64_t>(*tamanho) : std::int64_t{-1});
        registo.SetField(col::kUltNRegistos, total_registos);
        registo.Update();
    } catch (const EngineError& e) {
        // The copy is good: only the register could not say so.
        try {
            registo.CancelUpdate();
        } catch (const EngineError&) {
        }
        log_.regista_erro(
            "A cópia " + p.plano.caminho_copia +
            " foi guardada, mas não foi possível registar a data e "
            "as estatísticas da cópia no registo de cópias (tabela BUPS da base de dados " +
            projecto_.base_principal() + "). " + e.descricao());
    }
}

void CopiaBaseDados::copia(engine::Recordset& registo) {
    progresso_.cede();
    Pedido p;
    if (!le_pedido(registo, p)) return;

    TemposEtapas tempos(p.plano.ficheiro_bd);
    engine::Database viva;
    try {
        viva = engine::OpenDatabase(p.plano.caminho_bd, false, false, p.plano.ligacao);
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível abrir a base de dados " + p.plano.caminho_bd + ". " +
                          e.descricao());
        return;
    }
    if (progresso_.visivel()) {
        progresso_.barra(0, static_cast<int>(viva.TableDefs().Count()) - 1, 0);
        progresso_.cede();
    }
    if (!prepara_pasta(p)) return;
    p.plano.permissoes = servicos_.files.permissions(p.plano.caminho_bd).value_or(0600);
    p.plano.token = engine::random_token(servicos_.random);

    std::int64_t total_registos = 0;
    if (!ConstrucaoCopia(servicos_.files, p.plano, log_, progresso_, tempos)
             .constroi(viva, total_registos))
        return;
    apaga_antigas(p);
    regista_estatisticas(registo, p, total_registos);
    tempos.marca("nomear e terminar");
}

}  // namespace pezolva::backup
