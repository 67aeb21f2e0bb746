#include "backup/construcao_copia.h"

#include <cerrno>
#include <optional>

#include "backup/copia_tabela.h"
#include "backup/nome_copia.h"
#include "backup/ordem_copia.h"
#include "backup/verifica_copia.h"
#include "backup/versoes.h"
#include "common/text.h"
#include "engine/copy_session.h"
#include "engine/file_sync.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"
#include "engine/put_in_place.h"
#include "engine/quoting.h"
#include "engine/snapshot.h"
#include "engine/whole_file_copy.h"

namespace pezolva::backup {
namespace {

using engine::EngineError;

// The temporary names of one run: n is added to the run's token.
enum : int { kEmConstrucao = 0, kCompactada = 1, kDeLado = 2, kInstantaneo = 3 };

// A snapshot stands for the copy only when it has at most one free page in
// this many, counting those of the tables it has beyond the structure's
// (the backup register): a copy that would carry more is compacted by
// filling it.
constexpr std::int64_t kMaisPaginasPorLivre = 1000;

// A table whose copy failed in a way that leaves the whole copy incomplete.
struct FalhaTabela {
    std::string tabela;
    EngineError erro;
};

bool disco_cheio(int errno_value) { return errno_value == ENOSPC || errno_value == EDQUOT; }

}  // namespace

ConstrucaoCopia::ConstrucaoCopia(FileSystem& files, const PlanoCopia& plano, LogsExecucao& log,
                                 Progresso& progresso, TemposEtapas& tempos)
    : files_(files),
      plano_(plano),
      log_(log),
      progresso_(progresso),
      tempos_(tempos),
      temporarios_(files) {
    std::string nome;
    separa_ultimo(plano_.caminho_copia, '/', nome, pasta_copia_);
}

std::string ConstrucaoCopia::temporario(int n) const {
    return join_path(pasta_copia_,
                     nome_temporario(file_name_of(plano_.caminho_copia), plano_.token + n));
}

void ConstrucaoCopia::verifica_interrupcao() const {
    if (engine::interruption_requested() != 0)
        throw EngineError(engine::ErroCancelado, "A operação foi interrompida.");
}

void ConstrucaoCopia::etapa(const std::string& nome) {
    verifica_interrupcao();
    if (progresso_.visivel()) {
        progresso_.mostra(plano_.ficheiro_bd, nome);
        progresso_.cede();
    }
}

std::string ConstrucaoCopia::para_o_utilizador(const std::string& descricao) const {
    std::string texto = descricao;
    const auto troca = [&texto](const std::string& de, const std::string& para) {
        for (std::size_t i = texto.find(de); i != std::string::npos;
             i = texto.find(de, i + para.size())) {
            texto.replace(i, de.size(), para);
        }
    };
    if (!instantaneo_.empty()) troca(instantaneo_, plano_.caminho_bd);
    for (int n : {kEmConstrucao, kCompactada, kDeLado}) troca(temporario(n), plano_.caminho_copia);
    // Bare file names, as some messages give them.
    if (!instantaneo_.empty()) troca(file_name_of(instantaneo_), file_name_of(plano_.caminho_bd));
    for (int n : {kEmConstrucao, kCompactada, kDeLado}) {
        troca(file_name_of(temporario(n)), file_name_of(plano_.caminho_copia));
    }
    return texto;
}

void ConstrucaoCopia::regista_falha(const std::string& onde, int numero_erro, bool cheio,
                                    const std::string& descricao) {
    const std::string copia = plano_.caminho_copia, bd = plano_.caminho_bd;
    if (numero_erro == engine::ErroCancelado || engine::interruption_requested() != 0) {
        log_.regista_erro("A cópia de segurança da base de dados " + bd +
                          " foi interrompida. A cópia " + copia + " não foi guardada.");
    } else if (cheio) {
        log_.regista_erro("Não há espaço suficiente no disco da pasta " + pasta_copia_ +
                          " para a cópia " + copia + " da base de dados " + bd +
                          ". A cópia não foi guardada.");
    } else if (!onde.empty()) {
        log_.regista_erro("A cópia " + copia + " da base de dados " + bd +
                          " não foi guardada: erro ao copiar a tabela " + onde + ". " +
                          para_o_utilizador(descricao));
    } else {
        log_.regista_erro("Não foi possível concluir a cópia da base de dados " + bd + ". " +
                          para_o_utilizador(descricao));
    }
}

void ConstrucaoCopia::cria_a_partir_da_estrutura(const std::string& em_construcao) {
    files_.copy_file(plano_.caminho_est, em_construcao);
}

engine::Database ConstrucaoCopia::origem(engine::Database& viva) {
    const std::string instantaneo = temporarios_.claim(temporario(kInstantaneo));
    etapa("Copiar base de dados");
    if (!engine::SnapshotFile(viva, instantaneo, 0600)) {
        temporarios_.remove(instantaneo);
        return std::move(viva);
    }
    instantaneo_ = instantaneo;
    viva.Close();
    sincronizacao_instantaneo_.emplace(instantaneo);
    return engine::OpenDatabase(instantaneo, false, false, plano_.ligacao);
}

std::optional<std::vector<ConstrucaoCopia::Tabela>> ConstrucaoCopia::ordena(
    engine::Database& copia) {
    std::vector<std::string> nomes;
    for (const auto& t : copia.TableDefs()) nomes.push_back(t.Name());
    std::vector<Dependencia> relacoes;
    for (const auto& r : copia.Relations()) relacoes.push_back({r.Table(), r.ForeignTable()});
    const OrdemCopia ordem = ordena_tabelas(nomes, relacoes);
    if (!ordem.complete) {
        log_.regista_erro("Existem ciclos na base de dados estrutura. (" + plano_.caminho_est +
                          ")");
        return std::nullopt;
    }
    // The definitions are read now: while the fill writes the copy, no
    // other connection may read it.
    std::vector<Tabela> tabelas;
    for (const std::string& t : ordem_de_enchimento(ordem)) {
        tabelas.push_back({t, static_cast<int>(copia.TableDef(t).Fields().Count()), 0});
    }
    return tabelas;
}

void ConstrucaoCopia::esvazia(engine::Database& copia, const std::vector<Tabela>& tabelas) {
    // Children before their parents: the reverse of the fill's order.
    for (auto t = tabelas.rbegin(); t != tabelas.rend(); ++t)
        copia.Execute("delete * from " + engine::quote_identifier(t->nome));
}

std::optional<bool> ConstrucaoCopia::nomeia_o_instantaneo(engine::Database& fonte,
                                                          engine::Database& copia,
                                                          const std::string& em_construcao,
                                                          std::int64_t& total_registos) {
    if (instantaneo_.empty()) return std::nullopt;
    // Free pages, the live database's and those of the tables dropped, are
    // what a fill would leave out: with more than a few, the fill, which
    // compacts, is worth its time.
    // The engine's own tables keep the structure's rows, as in a fill.
    std::vector<std::string> de_sistema;
    for (const auto& t : copia.TableDefs()) {
        if (is_system_table(t.Name())) de_sistema.push_back(t.Name());
    }
    const std::optional<std::int64_t> livres =
        engine::KeepStructureDefinitions(fonte, copia, de_sistema);
    const auto paginas =
        fonte.OpenRecordset("PRAGMA page_count").Fields(std::size_t{0}).to_integer().value_or(0);
    if (!livres || *livres < 0 || *livres * kMaisPaginasPorLivre > paginas) return std::nullopt;
    etapa("Verificar");
    // The rows are counted and judged and the pages checked in one queue
    // that keeps both cores busy, and the snapshot goes to the disk
    // meanwhile.  The bar moves as each table is done.
    sincronizacao_instantaneo_->Start();
    const engine::CheckedScan lido =
        engine::CheckAndScanRows(instantaneo_, plano_.ligacao, [&](const std::string& tabela) {
            if (is_system_table(tabela)) return;
            progresso_.avanca();
            etapa(tabela);
        });
    if (lido.rows.rule_broken) {
        tempos_.marca("ler o instantâneo (há linhas a recusar)");
        // The fill moves the bar from the start again.
        if (progresso_.visivel()) progresso_.barra(0, maximo_barra_, 0);
        return std::nullopt;
    }
    tempos_.marca("verificar o instantâneo");
    if (lido.damage) {
        log_.regista_erro("A cópia " + plano_.caminho_copia + " da base de dados " +
                          plano_.caminho_bd + " não ficou completa e não foi guardada. " +
                          para_o_utilizador("A verificação do ficheiro falhou: " + *lido.damage));
        return false;
    }
    for (const engine::TableRows& t : lido.rows.tables) {
        if (!is_system_table(t.name)) total_registos += t.rows;
    }
    copia.Close();
    fonte.Close();
    temporarios_.remove(em_construcao);
    sincronizacao_instantaneo_->Wait();
    verifica_interrupcao();
    const std::string pronta = instantaneo_;
    nomeia(pronta);
    tempos_.marca("nomear");
    return true;
}

bool ConstrucaoCopia::enche(engine::Database& fonte, const std::string& em_construcao,
                            std::vector<Tabela>& tabelas, std::int64_t& total_registos) {
    std::vector<std::string> nomes;
    for (const Tabela& t : tabelas) nomes.push_back(t.nome);
    const auto tabelas_vivas = fonte.TableDefs();
    engine::CopySession sessao(fonte, em_construcao, nomes);
    for (Tabela& t : tabelas) {
        std::optional<TabelaViva> viva_t;
        if (const auto* d = tabelas_vivas.Find(t.nome)) {
            viva_t = TabelaViva{d->Name(), static_cast<int>(d->Fields().Count())};
        }
        if (auto erro = erro_de_alteracao(t.nome, t.campos, viva_t)) log_.regista_erro(*erro);
        etapa(t.nome);
        progresso_.avanca();
        try {
            if (!copia_tabela(sessao, t.nome, total_registos, t.linhas)) {
                log_.regista_erro("Erros detectados ao copiar a tabela " + t.nome +
                                  " na base de dados " + plano_.caminho_bd + ".");
            }
        } catch (const EngineError& e) {
            throw FalhaTabela{t.nome, e};
        }
        tempos_.marca("tabela " + t.nome);
    }
    return sessao.Finish();
}

std::string ConstrucaoCopia::compacta(const std::string& em_construcao, bool ja_compacta) {
    // A copy filled wholly by SQLite's transfer path, with no row left out
    // and no free page, is already as compact as VACUUM INTO would make it:
    // compacting it again would only copy it.
    if (ja_compacta) return em_construcao;
    const std::string compactada = temporarios_.claim(temporario(kCompactada));
    files_.create_file(compactada);  // private from its first byte
    // Synced by the caller while it checks the copy, not by VACUUM INTO
    // before: the two then overlap.
    engine::CompactHeldDatabase(em_construcao, {}, compactada, plano_.ligacao,
                                engine::CopySync::LeftToCaller);
    temporarios_.remove(em_construcao);
    return compactada;
}

void ConstrucaoCopia::nomeia(const std::string& pronta) {
    files_.set_permissions(pronta, plano_.permissoes);
    // A copy of the same minute is replaced only when nobody has it open
    // (the restore window, another workstation).
    std::optional<engine::ExclusiveLock> em_uso;
    if (files_.exists(plano_.caminho_copia)) em_uso.emplace(plano_.caminho_copia);
    const std::string de_lado = temporarios_.claim(temporario(kDeLado));
    files_.take_unconfirmed();  // what came before is not this copy's
    const std::optional<std::string> antiga =
        engine::put_in_place(files_, pronta, plano_.caminho_copia, de_lado);
    if (antiga) temporarios_.remove(*antiga);
    if (antiga != pronta) temporarios_.release(pronta);
    temporarios_.release(de_lado);
    // The copy keeps its name (it is complete), but a copy the disk may not
    // keep is no reason to delete older ones: the run fails here.
    if (auto por_confirmar = files_.take_unconfirmed()) throw FileError(EIO, *por_confirmar);
}

bool ConstrucaoCopia::enche_verifica_e_nomeia(engine::Database& viva, engine::Database& copia,
                                              const std::string& em_construcao,
                                              engine::FileSync& sincronizacao,
                                              std::int64_t& total_registos) {
    engine::Database fonte = origem(viva);
    tempos_.marca("instantâneo");
    compara_versoes(fonte, copia, plano_.caminho_bd, plano_.caminho_est, log_);
    std::optional<std::vector<Tabela>> tabelas = ordena(copia);
    if (!tabelas) return false;
    if (auto nomeada = nomeia_o_instantaneo(fonte, copia, em_construcao, total_registos)) {
        return *nomeada;
    }
    etapa("Apagar dados");
    esvazia(copia, *tabelas);
    copia.Close();
    tempos_.marca("apagar dados");
    const bool ja_compacta = enche(fonte, em_construcao, *tabelas, total_registos);
    fonte.Close();
    if (!instantaneo_.empty()) temporarios_.remove(instantaneo_);

    etapa("Compactar");
    const std::string pronta = compacta(em_construcao, ja_compacta);
    tempos_.marca(ja_compacta ? "compactar (não foi preciso)" : "compactar");
    verifica_interrupcao();
    // The copy is synced while it is checked.  No connection has the
    // compacted file open yet, so its sync may be opened now.
    std::optional<engine::FileSync> sincronizacao_compactada;
    engine::FileSync& a_sincronizar =
        ja_compacta ? sincronizacao : sincronizacao_compactada.emplace(pronta);
    a_sincronizar.Start();
    std::vector<TabelaCopiada> copiadas;
    for (const Tabela& t : *tabelas) copiadas.push_back({t.nome, t.linhas});
    if (auto falha = verifica_copia(pronta, plano_.ligacao, copiadas)) {
        log_.regista_erro("A cópia " + plano_.caminho_copia + " da base de dados " +
                          plano_.caminho_bd + " não ficou completa e não foi guardada. " +
                          para_o_utilizador(*falha));
        return false;
    }
    a_sincronizar.Wait();
    tempos_.marca("verificar");
    verifica_interrupcao();
    nomeia(pronta);
    return true;
}

bool ConstrucaoCopia::constroi(engine::Database& viva, std::int64_t& total_registos) {
    if (progresso_.visivel()) maximo_barra_ = static_cast<int>(viva.TableDefs().Count()) - 1;
    const std::string em_construcao = temporarios_.claim(temporario(kEmConstrucao));
    etapa("Criar ficheiro");
    try {
        cria_a_partir_da_estrutura(em_construcao);
    } catch (const FileError& e) {
        if (disco_cheio(e.error_number())) {
            regista_falha("", 0, true, "");
        } else {
            log_.regista_erro("Não foi possível copiar o ficheiro " + plano_.caminho_est +
                              " para " + plano_.caminho_copia + ". " + para_o_utilizador(e.what()));
        }
        return false;
    }

    // The sync is opened before any connection to the file, and so outlives
    // them all (closing it would drop their locks).
    std::optional<engine::FileSync> sincronizacao;
    engine::Database copia;
    try {
        sincronizacao.emplace(em_construcao);
        copia = engine::OpenDatabase(em_construcao, false, false, plano_.ligacao);
        // A structure kept in WAL mode would give the copy WAL files beside it.
        copia.Execute("PRAGMA journal_mode=DELETE");
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível abrir a base de dados " + plano_.caminho_copia + ". " +
                          para_o_utilizador(e.descricao()));
        return false;
    }
    tempos_.marca("preparar");

    try {
        return enche_verifica_e_nomeia(viva, copia, em_construcao, *sincronizacao, total_registos);
    } catch (const FalhaTabela& f) {
        regista_falha(f.tabela, f.erro.numero(), f.erro.numero() == engine::ErroDiscoCheio,
                      f.erro.descricao());
    } catch (const EngineError& e) {
        regista_falha("", e.numero(), e.numero() == engine::ErroDiscoCheio, e.descricao());
    } catch (const FileError& e) {
        regista_falha("", 0, disco_cheio(e.error_number()), e.what());
    }
    return false;
}

}  // namespace pezolva::backup
