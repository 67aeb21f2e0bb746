#include "restore/reposicao.h"

#include <cerrno>
#include <cstdio>

#include "common/text.h"
#include "engine/database.h"
#include "engine/lock_file.h"
#include "engine/settle.h"

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

std::string temporario(const std::string& base, std::uint64_t token) {
    std::string pasta, nome;
    separa_ultimo(base, '/', nome, pasta);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(token));
    return join_path(pasta, "." + nome + "." + hex + ".pezolva-reposicao");
}

// The copy as a file of its own beside the database, or why not.
std::optional<std::string> prepara(FileSystem& files, const PedidoReposicao& p, const std::string& novo) {
    files.copy_file(p.copia, novo);
    engine::Database db = engine::OpenDatabase(novo, false, true, p.ligacao);
    const std::string verificacao = db.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text();
    if (verificacao != "ok") return "A cópia " + p.copia + " está danificada: " + verificacao;
    return std::nullopt;
}

// Removes a file of ours and its companions, whatever is left of them.
void apaga_tudo(FileSystem& files, const std::string& caminho) {
    for (const std::string& f : {caminho, caminho + "-journal", engine::companion_path(caminho)}) {
        try {
            if (files.exists(f)) files.remove(f);
        } catch (const FileError&) {
        }
    }
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

}  // namespace

std::optional<std::string> repoe_copia(FileSystem& files, const PedidoReposicao& p) {
    if (p.nome.empty()) return "A cópia não indica a base de dados a substituir.";
    const std::string bd = alvo(files, p.pasta_projecto, p.nome);
    const bool existe = files.exists(bd);
    if (existe && files.is_read_only(bd)) return "A base de dados " + bd + " é só de leitura.";
    if (tem_conteudo(files, p.copia + "-journal") || tem_conteudo(files, p.copia + "-wal")) {
        return "A cópia " + p.copia + " tem um diário por aplicar ao lado.";
    }
    const std::string novo = temporario(bd, p.token);
    try {
        engine::ExclusiveLock bloqueio(bd);
        if (auto falha = prepara(files, p, novo)) {
            apaga_tudo(files, novo);
            return falha;
        }
        if (files.exists(engine::companion_path(novo))) files.remove(engine::companion_path(novo));  // the check's
        if (existe) {
            assenta_diarios(files, bd);
            files.set_permissions(novo, files.permissions(bd).value_or(0600));
            files.exchange(novo, bd);
            apaga_tudo(files, novo);  // the old database, now under the temporary name
        } else {
            files.rename_no_replace(novo, bd);
        }
        return std::nullopt;
    } catch (const EngineError& e) {
        apaga_tudo(files, novo);
        return e.descricao();
    } catch (const FileError& e) {
        apaga_tudo(files, novo);
        return e.what();
    }
}

}  // namespace pezolva::restore
