#include "restore/repor_copias.h"

#include <exception>

#include "common/escolhe_pasta.h"
#include "common/text.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/temporary_files.h"
#include "register/bups.h"
#include "restore/registo_reposto.h"
#include "restore/reposicao.h"
#include "restore/sobras_reposicao.h"

namespace pezolva::restore {

std::string pergunta_reposicao() {
    return "Vai substituir a base de dados em uso pela cópia de segurança.\n"
           "TODOS OS DADOS da base de dados em uso serão ELIMINADOS. \n"
           "Seleccione \"Sim\" se já efectuou uma cópia de segurança ou se a base de dados estiver "
           "danificada.";
}

std::string falha_reposicao() {
    return "Não foi possível substituir a base de dados seleccionada. Provavelmente, está "
           "bloqueada por algum "
           "utilizador.\nSaia da aplicação em todos os postos de trabalho, e volte a executar esta "
           "operação.";
}

std::string copia_concluida(bool registo_recriado) {
    return registo_recriado ? std::string(kCopiaConcluida) + "\n" + kRegistoRecriado
                            : kCopiaConcluida;
}

namespace {

// A restored main database whose live register could not be carried gets
// a fresh one now, as the next start would make it.  False when the copy
// had one of its own, which stays.  One that cannot be made now is made at
// the next start.
bool recria_registo(Services& servicos, const ProjectoActual& projecto) {
    try {
        engine::Database db =
            engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
        try {
            db.TableDef(bups::kTabela);
            return false;
        } catch (const engine::EngineError& e) {
            if (e.numero() != engine::ErroItemInexistente) throw;
        }
        cria_bups(db, projecto, servicos.dialogs);
    } catch (const engine::EngineError&) {
    }
    return true;
}

}  // namespace

std::optional<std::string> repoe_encontrada(Services& servicos, const ProjectoActual& projecto,
                                            const OndeProcurar& onde, const CopiaEncontrada& copia,
                                            bool* registo_recriado) {
    const bool principal = iequals(copia.bd, nome_procurado(projecto.nome_bd));
    // What killed restores left goes first; what another may hold is said.
    recupera_e_avisa(servicos, projecto.caminho);
    bool sem_registo = false;  // the live register could not be carried
    const auto falha = repoe_copia(
        servicos.files,
        {join_path(copia.caminho, copia.nome_fich), projecto.caminho, copia.bd,
         ligacao_de(onde, projecto, copia.bd), engine::random_token(servicos.random), principal},
        &sem_registo);
    if (registo_recriado != nullptr) *registo_recriado = sem_registo;
    // The cause goes under the usual two lines: "bloqueada" is only the
    // likeliest of them.
    if (falha) return falha_reposicao() + "\n\n" + *falha;
    return std::nullopt;
}

ReporCopias::ReporCopias(Services& servicos, const ProjectoActual& projecto, std::string separador)
    : servicos_(servicos), projecto_(projecto), separador_(std::move(separador)) {}

bool ReporCopias::primeira_activacao() {
    if (ja_activada_) return false;
    ja_activada_ = true;
    return true;
}

void ReporCopias::prepara_lista() {
    copias_.clear();
    sentido_ordem_ = 1;
    coluna_ordem_ = 2;
    try {
        onde_ = onde_procurar(projecto_);
    } catch (const engine::EngineError& e) {
        onde_ = {};
        pastas_.clear();
        informa(servicos_.dialogs, std::to_string(e.numero()) + " - " + e.descricao(), "Erro",
                Icon::Critical);
        return;
    }
    pastas_ = onde_.pastas;
    if (onde_.sem_registo && !ja_avisou_) {
        ja_avisou_ = true;
        informa(servicos_.dialogs, kSemBaseActual, "Atenção", Icon::Information);
    }
}

void ReporCopias::junta_pasta(const std::string& pasta) { restore::junta_pasta(pastas_, pasta); }

bool ReporCopias::procura_copias(const PainelProcura& painel) {
    copias_.clear();
    aviso_.clear();
    const std::size_t pares =
        onde_.bases.size() * std::max<std::size_t>(pastas_.size(), 1) + (fonte_ ? 1 : 0);
    if (painel.inicio) painel.inicio(static_cast<int>(std::min<std::size_t>(pares, 1u << 30)));
    int valor = 0;
    bool ate_ao_fim = true;
    // Works on its own copy of the folders: the window may change its
    // list while the search yields to it.
    const std::vector<std::string> pastas = pastas_;
    copias_ = restore::procura_copias(servicos_.files, pastas, onde_.bases, separador_,
                                      [&](const std::string& p) {
                                          ate_ao_fim = !painel.pasta || painel.pasta(p, ++valor);
                                          return ate_ao_fim;
                                      });
    if (ate_ao_fim && fonte_) {
        ate_ao_fim = !painel.pasta || painel.pasta(fonte_->nome, ++valor);
        if (ate_ao_fim) {
            try {
                for (CopiaEncontrada& c : fonte_->lista()) {
                    c.caminho = fonte_->nome;
                    copias_.push_back(std::move(c));
                }
            } catch (const std::exception& e) {
                aviso_ = e.what();
                for (char& ch : aviso_) {
                    if (ch == '\n' || ch == '\r') ch = ' ';
                }
            }
        }
    }
    ordena_lista();
    if (painel.fim) painel.fim();
    return ate_ao_fim;
}

void ReporCopias::ordena_lista() { ordena(copias_, coluna_ordem_, sentido_ordem_ == 1); }

bool ReporCopias::adiciona_pasta() {
    const std::string pasta = escolhe_pasta(servicos_.dialogs, projecto_.caminho, "");
    junta_pasta(pasta);
    return !pasta.empty();
}

bool ReporCopias::remove_pasta(std::optional<std::size_t> indice) {
    if (!indice || *indice >= pastas_.size()) return false;
    pastas_.erase(pastas_.begin() + static_cast<std::ptrdiff_t>(*indice));
    return true;
}

void ReporCopias::clique_cabecalho(int coluna) {
    if (coluna == coluna_ordem_) {
        sentido_ordem_ = 1 - sentido_ordem_;
    } else {
        coluna_ordem_ = coluna;
    }
    ordena_lista();
}

bool ReporCopias::repor(std::optional<std::size_t> seleccionada) {
    if (copias_.empty() || !seleccionada || *seleccionada >= copias_.size()) {
        informa(servicos_.dialogs, kSemSeleccao, "Atenção", Icon::Information);
        return false;
    }
    const Answer resposta = servicos_.dialogs.show(
        Message{pergunta_reposicao(), Icon::Question, "Atenção", Buttons::YesNoCancel, Answer::No});
    if (resposta != Answer::Yes) return false;
    const CopiaEncontrada& copia = copias_[*seleccionada];
    bool registo_recriado = false;
    std::optional<std::string> falha;
    if (de_fora(copia)) {
        try {
            falha = fonte_->repoe(copia);
        } catch (const std::exception& e) {
            falha = e.what();
        }
        // A copy carries no register: the live one was carried, or the
        // database gets a fresh one below (none is made over one it has).
        registo_recriado = !falha && iequals(copia.bd, nome_procurado(projecto_.nome_bd));
    } else {
        falha = repoe_encontrada(servicos_, projecto_, onde_, copia, &registo_recriado);
    }
    if (falha) {
        informa(servicos_.dialogs, *falha, "Atenção", Icon::Information);
        return false;
    }
    // The windows of this session open the main database without a start
    // in between.
    if (registo_recriado) registo_recriado = recria_registo(servicos_, projecto_);
    informa(servicos_.dialogs, copia_concluida(registo_recriado), "Atenção", Icon::Information);
    return true;
}

}  // namespace pezolva::restore
