#include "restore/reposicao.h"

#include "common/text.h"
#include "engine/database.h"
#include "engine/interruption.h"
#include "engine/journals_aside.h"
#include "engine/lock_file.h"
#include "engine/lock_sharing.h"
#include "engine/put_in_place.h"
#include "engine/settle.h"
#include "engine/swap_lock.h"
#include "engine/whole_file_check.h"
#include "restore/registo_reposto.h"
#include "restore/sobras_reposicao.h"

namespace pezolva::restore {
namespace {

using engine::EngineError;

constexpr const char* kInterrompida =
    "A reposição foi interrompida: a base de dados ficou como estava.";

// The database file of `nome` in `pasta`: the one whose name matches
// without regard to letter case, or the name a new one gets.
std::string alvo(FileSystem& files, const std::string& pasta, const std::string& nome) {
    const std::string procurado = nome + ".mdb";
    for (const std::string& f : files.list_files(pasta)) {
        if (iequals(f, procurado)) return join_path(pasta, f);
    }
    return join_path(pasta, procurado);
}

bool tem_conteudo(FileSystem& files, const std::string& caminho) {
    return files.file_size(caminho).value_or(0) > 0;
}

// Why `novo` cannot take the database's place; nullopt when it opens with
// the password and SQLite finds it sound.
std::optional<std::string> defeito(const Substituicao& s) {
    if (auto verificacao = engine::QuickCheckOnTwoConnections(s.novo, s.ligacao)) {
        return "A cópia " + s.origem + " está danificada: " + *verificacao;
    }
    return std::nullopt;
}

// A database SQLite can read has its journals applied to itself; those of
// one it cannot read (the usual reason for a restore) go aside with it.
void assenta_diarios(const std::string& bd) {
    try {
        engine::SettleJournals(bd);
    } catch (const EngineError&) {
    }
}

// Step 5, for the holder of the exclusive lock: `novo` takes the name.
void troca(FileSystem& files, engine::TemporaryFiles& temporarios, const Substituicao& s) {
    const std::string anterior = temporarios.claim(anterior_reposicao(s.bd, s.token));
    std::optional<engine::SwapLock> sqlite;
    std::optional<engine::JournalsAside> diarios;
    if (files.exists(s.bd)) {
        files.set_permissions(s.novo, files.permissions(s.bd).value_or(0600));
        sqlite.emplace(s.bd);
        diarios.emplace(files, s.bd, anterior);
    }
    std::optional<std::string> antiga;
    try {
        if (engine::interruption_requested() != 0)
            throw EngineError(engine::ErroCancelado, kInterrompida);
        antiga = engine::put_in_place(files, s.novo, s.bd, anterior);
    } catch (...) {
        if (!files.exists(s.bd) && files.exists(anterior)) {
            // The undo failed: the old database is only there now.
            temporarios.keep(anterior);
            throw;
        }
        if (diarios) diarios->bring_back();
        throw;
    }
    if (sqlite) sqlite->release();
    if (antiga) temporarios.remove(*antiga);
    if (antiga != s.novo) temporarios.release(s.novo);
    temporarios.release(anterior);
}

// Steps 2 to 5, under the database's exclusive lock.
std::optional<std::string> sob_bloqueio(FileSystem& files, engine::TemporaryFiles& temporarios,
                                        const Substituicao& s, bool* registo_recriado) {
    engine::ExclusiveLock bloqueio(s.bd);
    if (auto falha = defeito(s)) return falha;
    if (s.principal) {
        const bool transportado = files.exists(s.bd) && transporta_registo(s.bd, s.novo, s.ligacao);
        if (registo_recriado != nullptr) *registo_recriado = !transportado;
    }
    if (files.exists(s.bd)) assenta_diarios(s.bd);
    files.take_unconfirmed();  // what came before is not this restore's
    troca(files, temporarios, s);
    // The copy is in place, complete: only the disk's word is missing.
    return files.take_unconfirmed();
}

std::string deixada_de_lado(const Substituicao& s) {
    return "A base de dados anterior ficou em " + anterior_reposicao(s.bd, s.token) +
           " e volta ao seu nome na próxima abertura do projecto.";
}

}  // namespace

std::optional<std::string> substitui_base(FileSystem& files, engine::TemporaryFiles& temporarios,
                                          const Substituicao& s, bool* registo_recriado) {
    if (files.exists(s.bd) && files.is_read_only(s.bd))
        return "A base de dados " + s.bd + " é só de leitura.";
    std::string pasta, nome;
    separa_ultimo(s.bd, '/', nome, pasta);
    if (auto recusa = engine::locks_not_shared(files, pasta.empty() ? "." : pasta)) return recusa;
    try {
        return sob_bloqueio(files, temporarios, s, registo_recriado);
    } catch (const EngineError& e) {
        if (e.numero() == engine::ErroCancelado) return kInterrompida;
        return e.descricao();
    } catch (const FileError& e) {
        if (!files.exists(s.bd) && files.exists(anterior_reposicao(s.bd, s.token))) {
            return std::string(e.what()) + "\n" + deixada_de_lado(s);
        }
        return e.what();
    }
}

std::optional<std::string> repoe_copia(FileSystem& files, const PedidoReposicao& p,
                                       bool* registo_recriado) {
    if (p.nome.empty()) return "A cópia não indica a base de dados a substituir.";
    const std::string bd = alvo(files, p.pasta_projecto, p.nome);
    if (tem_conteudo(files, p.copia + "-journal") || tem_conteudo(files, p.copia + "-wal")) {
        return "A cópia " + p.copia + " tem um diário por aplicar ao lado.";
    }
    try {
        engine::TemporaryFiles temporarios(files);
        const std::string novo = temporarios.claim(temporario_reposicao(bd, p.token));
        files.copy_file(p.copia, novo);  // synced before it returns
        if (engine::interruption_requested() != 0) return kInterrompida;
        return substitui_base(files, temporarios,
                              {bd, novo, p.copia, p.ligacao, p.token, p.principal},
                              registo_recriado);
    } catch (const EngineError& e) {
        return e.descricao();
    } catch (const FileError& e) {
        return e.what();
    }
}

}  // namespace pezolva::restore
