#include "backup/copia_base_dados.h"

#include <optional>
#include <vector>

#include "backup/copy_name.h"
#include "backup/copy_order.h"
#include "backup/copia_tabela.h"
#include "backup/pasta_destino.h"
#include "backup/retention.h"
#include "backup/tempos_etapas.h"
#include "backup/verifica_copia.h"
#include "backup/versoes.h"
#include "common/text.h"
#include "engine/copy_session.h"
#include "engine/database.h"
#include "engine/file_sync.h"
#include "engine/lock_file.h"
#include "engine/quoting.h"
#include "register/bups.h"

namespace pezolva::backup {
namespace {

namespace col = pezolva::bups;
using engine::EngineError;

const char* const kLocalidade = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// Removes the files of a copy being built unless they were kept: nothing
// of an unfinished copy outlives the run.  The lock files of the temporary
// names go too: nobody else can know those names.
class FicheirosTemporarios {
public:
    explicit FicheirosTemporarios(FileSystem& files) : files_(files) {}
    ~FicheirosTemporarios() {
        for (const std::string& f : ficheiros_) apaga(f);
    }
    FicheirosTemporarios(const FicheirosTemporarios&) = delete;
    FicheirosTemporarios& operator=(const FicheirosTemporarios&) = delete;

    std::string junta(std::string f) {
        ficheiros_.push_back(f);
        return f;
    }
    void apaga(const std::string& f) {
        for (const std::string& p : {f, f + ".lock"}) {
            try {
                if (files_.exists(p)) files_.remove(p);
            } catch (const FileError&) {
                // A temporary file that cannot be removed never carries a
                // copy name, so it cannot be taken for a copy.
            }
        }
    }

private:
    FileSystem& files_;
    std::vector<std::string> ficheiros_;
};

std::string sem_barra_final(std::string pasta) {
    while (pasta.size() > 1 && pasta.back() == '/') pasta.pop_back();
    return pasta;
}

}  // namespace

void CopiaBaseDados::copia(engine::Recordset& registo) {
    FileSystem& files = servicos_.files;
    progresso_.cede();

    const std::string nome_bd_registo = registo[col::kNomeBd].to_text();
    const auto manter = nulo_para(registo[col::kCopiasAManter], 0).to_integer().value_or(0);
    if (manter <= 0) {
        log_.regista_erro("A base de dados " + nome_bd_registo +
                          " tem número de cópias a manter igual a zero. Não foi efectuada cópia.");
        return;
    }
    const DateTime inicio = servicos_.clock.now();
    if (progresso_.visivel()) {
        progresso_.barra(0, 1, 0);
        progresso_.mostra("a preparar cópia", "");
        progresso_.cede();
    }

    std::string pasta_bd, ficheiro_bd, pasta_est, ficheiro_est;
    separa_ultimo(nome_bd_registo, '/', ficheiro_bd, pasta_bd);
    separa_ultimo(registo[col::kUltNomeEstrutura].to_text(), '/', ficheiro_est, pasta_est);
    if (pasta_bd.empty()) pasta_bd = projecto_.caminho;
    if (pasta_est.empty()) pasta_est = pasta_bd;
    // A name of fewer than four characters has no copy name either.
    if (ficheiro_bd.empty() || ficheiro_est.empty() || !base_copia(ficheiro_bd)) {
        log_.regista_erro("A parametrização da base de dados " + nome_bd_registo +
                          " não está correcta.");
        return;
    }
    const std::string caminho_bd = join_path(pasta_bd, ficheiro_bd);
    const std::string caminho_est = join_path(pasta_est, ficheiro_est);
    const Value passwd = registo[col::kPasswd];
    const std::string ligacao = passwd.is_null() ? "" : ";pwd=" + passwd.to_text();

    TemposEtapas tempos(ficheiro_bd);
    engine::Database viva;
    try {
        viva = engine::OpenDatabase(caminho_bd, false, false, ligacao);
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível abrir a base de dados " + caminho_bd + ". " +
                          e.descricao());
        return;
    }
    if (progresso_.visivel()) {
        progresso_.barra(0, static_cast<int>(viva.TableDefs().Count()) - 1, 0);
        progresso_.cede();
    }

    // An empty destination is no folder at all: the copy goes beside the
    // database, as with none.
    const std::string destino = registo[col::kCaminhoDestino].to_text();
    const std::string pasta_copia = sem_barra_final(destino.empty() ? pasta_bd : destino);
    const std::string nome = nome_copia(caminho_bd, servicos_.clock.now());
    const std::string caminho_copia = join_path(pasta_copia, nome);

    if (!destino.empty() && !files.is_directory(destino)) {
        const bool criar = pergunta_sim_nao(
            servicos_.dialogs,
            "A pasta " + destino + " não existe. Deseja criar a pasta automaticamente?", "Atenção",
            true);
        if (!criar) {
            log_.regista_erro("Não foi possível copiar o ficheiro " + caminho_est + " para " +
                              caminho_copia + ". Não existe a pasta.");
            return;
        }
        if (!cria_pasta_por_niveis(files, destino)) {
            log_.regista_erro("Não foi possível criar a pasta " + destino + ".");
            return;
        }
    }

    // One token for the run; the run's temporary files differ by their offset.
    const std::uint64_t token = draw_temporary_token(servicos_.random);
    const auto temporario = [&](std::uint64_t n) {
        return join_path(pasta_copia, nome_temporario(nome, token + n));
    };
    FicheirosTemporarios temporarios(files);
    const std::string em_construcao = temporarios.junta(temporario(0));
    if (progresso_.visivel()) {
        progresso_.mostra(ficheiro_bd, "Criar ficheiro");
        progresso_.cede();
    }
    try {
        files.copy_file(caminho_est, em_construcao);
    } catch (const FileError& e) {
        log_.regista_erro("Não foi possível copiar o ficheiro " + caminho_est + " para " +
                          caminho_copia + ". " + e.what());
        return;
    }

    // The copy's sync is opened before any connection to the copy, and so
    // outlives them all (closing it would drop their locks).
    std::optional<engine::FileSync> sincronizacao;
    engine::Database copia;
    try {
        sincronizacao.emplace(em_construcao);
        copia = engine::OpenDatabase(em_construcao, false, false, ligacao);
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível abrir a base de dados " + caminho_copia + ". " +
                          e.descricao());
        return;
    }

    tempos.marca("preparar");
    try {
        compara_versoes(viva, copia, caminho_bd, caminho_est, log_);

        if (progresso_.visivel()) {
            progresso_.mostra(ficheiro_bd, "Apagar dados");
            progresso_.cede();
        }
        std::vector<std::string> tabelas;
        for (const auto& t : copia.TableDefs()) tabelas.push_back(t.Name());
        std::vector<Relation> relacoes;
        for (const auto& r : copia.Relations()) relacoes.push_back({r.Table(), r.ForeignTable()});
        const CopyOrder ordem = build_copy_order(tabelas, relacoes);
        if (!ordem.complete) {
            log_.regista_erro("Existem ciclos na base de dados estrutura. (" + caminho_est + ")");
            return;
        }
        for (const std::string& t : emptying_order(ordem)) {
            copia.Execute("delete * from " + engine::quote_identifier(t));
        }

        tempos.marca("apagar dados");
        // The copy's definitions are read before the fill: while the session
        // writes the copy, no other connection may read it.
        const std::vector<std::string> ordem_enchimento = filling_order(ordem);
        std::vector<int> campos_copia;
        for (const std::string& t : ordem_enchimento) {
            campos_copia.push_back(static_cast<int>(copia.TableDef(t).Fields().Count()));
        }
        std::int64_t total_registos = 0;
        std::vector<TabelaCopiada> copiadas;
        const auto tabelas_vivas = viva.TableDefs();
        bool compacta = false;
        {
            engine::CopySession sessao(viva, em_construcao, ordem_enchimento);
            for (std::size_t i = 0; i < ordem_enchimento.size(); ++i) {
                const std::string& t = ordem_enchimento[i];
                std::optional<LiveTable> viva_t;
                if (const auto* d = tabelas_vivas.Find(t)) {
                    viva_t = LiveTable{d->Name(), static_cast<int>(d->Fields().Count())};
                }
                if (auto erro = table_change_error(t, campos_copia[i], viva_t)) log_.regista_erro(*erro);
                if (progresso_.visivel()) {
                    progresso_.mostra(ficheiro_bd, t);
                    progresso_.cede();
                }
                progresso_.avanca();
                std::int64_t inseridas = 0;
                if (!copia_tabela(sessao, t, total_registos, inseridas)) {
                    log_.regista_erro("Erros detectados ao copiar a tabela " + t +
                                      " na base de dados " + caminho_bd + ".");
                }
                copiadas.push_back({t, inseridas});
                tempos.marca("tabela " + t);
            }
            compacta = sessao.Finish();
        }
        viva.Close();
        copia.Close();

        // A copy filled wholly by SQLite's transfer path, with no row left
        // out and no free page, is already as compact as VACUUM INTO would
        // make it: compacting it again would only copy it.  It is synced
        // while it is checked; a compacted one SQLite has synced already.
        if (progresso_.visivel()) {
            progresso_.mostra(ficheiro_bd, "Compactar");
            progresso_.cede();
        }
        std::string pronta = em_construcao;
        if (!compacta) {
            pronta = temporarios.junta(temporario(1));
            engine::CompactDatabase(em_construcao, pronta, kLocalidade, 0, ligacao);
            temporarios.apaga(em_construcao);
        }
        tempos.marca(compacta ? "compactar (não foi preciso)" : "compactar");

        if (compacta) sincronizacao->Start();
        if (auto falha = verifica_copia(pronta, ligacao, copiadas)) {
            log_.regista_erro("A cópia " + caminho_copia + " da base de dados " + caminho_bd +
                              " não ficou completa e não foi guardada. " + *falha);
            return;
        }
        if (compacta) sincronizacao->Wait();
        sincronizacao.reset();  // every connection to the file is closed by now
        tempos.marca("verificar");
        {
            // A copy of the same minute is replaced only when nobody has it
            // open (the restore window, another workstation).
            std::optional<engine::ExclusiveLock> em_uso;
            if (files.exists(caminho_copia)) em_uso.emplace(caminho_copia);
            coloca_copia(files, pronta, caminho_copia, temporario(2));
        }
        temporarios.apaga(pronta);  // its lock file, if the check left one

        try {
            apaga_copias_antigas(files, caminho_bd, static_cast<int>(manter), pasta_copia, nome);
        } catch (const FileError& e) {
            log_.regista_erro("Não foi possível apagar as cópias antigas da base de dados " +
                              caminho_bd + ". " + e.what());
        }

        const DateTime fim = servicos_.clock.now();
        const auto tamanho = files.file_size(caminho_bd);
        registo.Edit();
        registo.SetField(col::kUltData, fim.date_part());
        registo.SetField(col::kUltHora, fim.time_part());
        registo.SetField(col::kUltDuracao, minute_boundaries_between(inicio, fim));
        registo.SetField(col::kUltDestino, pasta_copia);
        registo.SetField(col::kUltTamanho,
                         tamanho ? static_cast<std::int64_t>(*tamanho) : std::int64_t{-1});
        registo.SetField(col::kUltNRegistos, total_registos);
        registo.Update();
        tempos.marca("nomear e terminar");
    } catch (const EngineError& e) {
        log_.regista_erro("Não foi possível concluir a cópia da base de dados " + caminho_bd +
                          ". " + e.descricao());
    } catch (const FileError& e) {
        log_.regista_erro("Não foi possível concluir a cópia da base de dados " + caminho_bd +
                          ". " + e.what());
    }
}

}  // namespace pezolva::backup
