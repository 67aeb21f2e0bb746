#include "testproject/projecto_teste.h"

#include <algorithm>
#include <vector>

#include "common/file_system.h"
#include "common/text.h"
#include "engine/lock_file.h"
#include "testproject/detail/construcao.h"
#include "testproject/detail/modelo.h"
#include "testproject/esquema.h"

namespace pezolva::testproject {
namespace {

// Bytes of the main database per row of its largest tables, measured on
// projects of 333 333 and 2 159 827 rows (indexes included).
constexpr std::int64_t kBytesPorLinha = 463;

// A file of the project while it is being built.  Only this library makes
// names that end so, and it never leaves one behind on purpose.
constexpr const char* kSufixoTemporario = ".a-criar";

struct Ficheiro {
    const char* base;
    const char* estrutura;
    const char* palavra_passe;
    std::vector<detail::Tabela> (*tabelas)(const detail::Contexto&);
    BaseDados Projecto::*membro;
};

const Ficheiro kFicheiros[] = {
    {kPrincipal, kEstruturaPrincipal, kPassePrincipal, detail::tabelas_principal,
     &Projecto::principal},
    {kFotos, kEstruturaFotos, "", detail::tabelas_fotos, &Projecto::fotos},
    {kLog, kEstruturaLog, kPasseLog, detail::tabelas_log, &Projecto::log},
};

// Every name the project can have, databases and structures.
std::vector<std::string> nomes_do_projecto(const std::string& pasta) {
    std::vector<std::string> nomes;
    for (const Ficheiro& f : kFicheiros) {
        nomes.push_back(join_path(pasta, f.base));
        nomes.push_back(join_path(pasta, f.estrutura));
    }
    return nomes;
}

// Removes a file this library made and, for a temporary one, the engine's
// companion lock of it.  The lock of a final name is left alone: others may
// rely on its inode.
void remove_nosso(FileSystem& files, const std::string& caminho) {
    const bool temporario = caminho.ends_with(kSufixoTemporario);
    for (const std::string& c : {caminho, temporario ? engine::companion_path(caminho) : caminho}) {
        try {
            if (files.exists(c)) files.remove(c);
        } catch (const FileError&) {
            // Left behind under a name that says what it is.
        }
    }
}

// Temporary files and the final names they take, in the order of renaming.
struct Obra {
    std::vector<std::pair<std::string, std::string>> ficheiros;
    std::vector<std::string> renomeados;
};

// The folder, made when missing, with none of the project's names taken.
void prepara_pasta(FileSystem& files, const std::string& pasta) {
    if (!create_directories(files, pasta)) {
        throw ErroProjecto("Não foi possível criar a pasta " + pasta +
                           " para o projecto de teste.");
    }
    for (const std::string& nome : nomes_do_projecto(pasta)) {
        if (files.exists(nome)) {
            throw ErroProjecto("Já existe o ficheiro " + nome +
                               ": o projecto de teste não foi criado.");
        }
    }
}

// Gives each built file its final name, never replacing one, the main
// database last: with it in place the project is complete.  What was
// renamed is noted in `obra`, so that a failure can undo it.
void da_os_nomes(FileSystem& files, Obra& obra, const std::string& principal) {
    std::stable_partition(obra.ficheiros.begin(), obra.ficheiros.end(),
                          [&](const auto& f) { return f.second != principal; });
    for (const auto& [temporario, final] : obra.ficheiros) {
        try {
            files.rename_no_replace(temporario, final);
        } catch (const FileError& e) {
            throw ErroProjecto("Não foi possível dar o nome " + final +
                               " à base de dados do projecto de teste: " + e.what());
        }
        obra.renomeados.push_back(final);
        remove_nosso(files, temporario);  // what is left: its companion lock
    }
}

}  // namespace

std::int64_t linhas_para_bytes(std::int64_t bytes) {
    return std::max<std::int64_t>(1, bytes / kBytesPorLinha);
}

Projecto cria_projecto(const std::string& pasta, const Opcoes& opcoes) {
    // 1. The folder, and none of the project's names taken.
    // 2. Each database and structure under a temporary name.
    // 3. The renames, which never replace a file; a failure undoes them.
    LocalFileSystem files;
    prepara_pasta(files, pasta);

    detail::Contexto contexto;
    contexto.linhas = opcoes.bytes > 0 ? linhas_para_bytes(opcoes.bytes)
                                       : std::max<std::int64_t>(0, opcoes.linhas);
    contexto.semente = opcoes.semente;
    contexto.versao = opcoes.versao;
    detail::Construcao base{"",
                            true,
                            opcoes.chaves_na_carga,
                            opcoes.indices_na_carga,
                            opcoes.semente,
                            opcoes.progresso};
    detail::Construcao estrutura = base;
    estrutura.com_linhas = false;

    Projecto projecto;
    projecto.pasta = pasta;
    Obra obra;
    try {
        for (const Ficheiro& f : kFicheiros) {
            BaseDados& bd = projecto.*f.membro;
            bd.caminho = join_path(pasta, f.base);
            bd.palavra_passe = f.palavra_passe;
            const std::vector<detail::Tabela> tabelas = f.tabelas(contexto);
            for (const detail::Tabela& t : tabelas) bd.linhas[t.nome] = t.linhas;

            std::vector<std::pair<std::string, detail::Construcao>> alvos{{bd.caminho, base}};
            if (opcoes.estruturas) {
                bd.estrutura = join_path(pasta, f.estrutura);
                alvos.emplace_back(bd.estrutura, estrutura);
            }
            for (auto& [final, como] : alvos) {
                const std::string temporario = final + kSufixoTemporario;
                remove_nosso(files, temporario);  // left by a build that was killed
                obra.ficheiros.emplace_back(temporario, final);
                como.nome = file_name_of(final);
                detail::constroi(temporario, bd.palavra_passe, tabelas, como);
            }
        }
        da_os_nomes(files, obra, projecto.principal.caminho);
        detail::sincroniza(pasta);  // the new names too
    } catch (...) {
        for (const auto& [temporario, final] : obra.ficheiros) remove_nosso(files, temporario);
        for (const std::string& final : obra.renomeados) remove_nosso(files, final);
        throw;
    }
    return projecto;
}

Projecto reutiliza_ou_cria(const std::string& pasta, const Opcoes& opcoes) {
    LocalFileSystem files;
    std::vector<std::string> faltam;
    bool algum = false;
    for (const Ficheiro& f : kFicheiros) {
        for (const bool e_estrutura : {false, true}) {
            const std::string caminho = join_path(pasta, e_estrutura ? f.estrutura : f.base);
            const bool existe = files.exists(caminho);
            algum = algum || existe;
            if (!existe && (!e_estrutura || opcoes.estruturas)) faltam.push_back(caminho);
        }
    }
    if (!algum) return cria_projecto(pasta, opcoes);
    if (!faltam.empty()) {
        throw ErroProjecto("O projecto de teste em " + pasta +
                           " está incompleto: falta o ficheiro " + faltam.front() + ".");
    }
    Projecto projecto;
    projecto.pasta = pasta;
    for (const Ficheiro& f : kFicheiros) {
        BaseDados& bd = projecto.*f.membro;
        bd.caminho = join_path(pasta, f.base);
        bd.palavra_passe = f.palavra_passe;
        if (const std::string e = join_path(pasta, f.estrutura); files.exists(e)) {
            bd.estrutura = e;
            abre_estrutura(bd).Close();  // the password must open it too
        }
        engine::Database db = abre(bd);
        bd.linhas = conta_linhas(db);
    }
    return projecto;
}

engine::Database abre(const BaseDados& base) {
    return engine::OpenDatabase(base.caminho, false, false, base.ligacao());
}

engine::Database abre_estrutura(const BaseDados& base) {
    if (base.estrutura.empty()) {
        throw ErroProjecto("A base de dados " + base.caminho +
                           " não tem base de dados de estrutura.");
    }
    return engine::OpenDatabase(base.estrutura, false, false, base.ligacao());
}

}  // namespace pezolva::testproject
