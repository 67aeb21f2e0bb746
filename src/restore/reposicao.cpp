#include "restore/reposicao.h"

#include "common/text.h"
#include "engine/database.h"
#include "engine/lock_file.h"
#include "engine/put_in_place.h"
#include "engine/settle.h"
#include "engine/temporary_files.h"
#include "restore/sobras_reposicao.h"

namespace pezolva::restore {
namespace {

using engine::EngineError;

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

// The copy as a file of its own beside the database, or why not.
std::optional<std::string> prepara(FileSystem& files, const PedidoReposicao& p,
                                   const std::string& novo) {
    files.copy_file(p.copia, novo);  // synced before it returns
    engine::Database db = engine::OpenDatabase(novo, false, true, p.ligacao);
    const std::string verificacao =
        db.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text();
    if (verificacao != "ok") return "A cópia " + p.copia + " está danificada: " + verificacao;
    return std::nullopt;
}

// Leaves no journal beside the database that SQLite could apply to the
// restored file.  A database SQLite can read has them applied to itself
// first; one it cannot read (the usual reason for a restore) can make no
// use of them, and they go.
void assenta_diarios(FileSystem& files, const std::string& bd) {
    try {
        engine::SettleJournals(bd);
    } catch (const EngineError&) {
        for (const char* fim : {"-journal", "-wal", "-shm"}) {
            if (files.exists(bd + fim)) files.remove(bd + fim);
        }
    }
}

// Under the database's exclusive lock: the checked copy takes the
// database's name, and the old file goes.
std::optional<std::string> substitui(FileSystem& files, const PedidoReposicao& p,
                                     const std::string& bd) {
    engine::TemporaryFiles temporarios(files);
    const std::string novo = temporarios.claim(temporario_reposicao(bd, p.token));
    if (auto falha = prepara(files, p, novo)) return falha;
    if (files.exists(bd)) {
        assenta_diarios(files, bd);
        files.set_permissions(novo, files.permissions(bd).value_or(0600));
    }
    const std::string anterior = temporarios.claim(anterior_reposicao(bd, p.token));
    const std::optional<std::string> antiga = engine::put_in_place(files, novo, bd, anterior);
    if (antiga) temporarios.remove(*antiga);
    if (antiga != novo) temporarios.release(novo);
    temporarios.release(anterior);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> repoe_copia(FileSystem& files, const PedidoReposicao& p) {
    if (p.nome.empty()) return "A cópia não indica a base de dados a substituir.";
    recupera_reposicoes(files, p.pasta_projecto);
    const std::string bd = alvo(files, p.pasta_projecto, p.nome);
    if (files.exists(bd) && files.is_read_only(bd))
        return "A base de dados " + bd + " é só de leitura.";
    if (tem_conteudo(files, p.copia + "-journal") || tem_conteudo(files, p.copia + "-wal")) {
        return "A cópia " + p.copia + " tem um diário por aplicar ao lado.";
    }
    try {
        engine::ExclusiveLock bloqueio(bd);
        return substitui(files, p, bd);
    } catch (const EngineError& e) {
        return e.descricao();
    } catch (const FileError& e) {
        return e.what();
    }
}

}  // namespace pezolva::restore
