#include "importacao/importacao_projecto.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "common/text.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"
#include "engine/quoting.h"
#include "importacao/base_importada.h"
#include "importacao/erro_importacao.h"
#include "importacao/ficheiros_origem.h"
#include "importacao/registo_novo.h"
#include "importacao/registo_origem.h"

namespace pezolva::importacao {
namespace fs = std::filesystem;
namespace {

// One file to write: its real name in the source and its password.
struct Plano {
    std::string nome;
    std::string palavra_passe;
};

std::string principal(const Pedido& pedido, const FicheirosOrigem& origem, const AbreFonte& abre) {
    if (!pedido.principal.empty()) {
        if (auto real = origem.procura(pedido.principal)) return *real;
        throw ErroImportacao("A base de dados principal " + pedido.principal + " não existe em " +
                             origem.pasta() + ".");
    }
    std::vector<std::string> com_registo;
    for (const std::string& nome : origem.bases()) {
        try {
            if (tabela_registo(*abre(origem.pasta() + "/" + nome))) com_registo.push_back(nome);
        } catch (const ErroImportacao&) {
            // Not the main database, whatever it is; named by the register, it fails then.
        }
    }
    if (com_registo.size() == 1) return com_registo.front();
    if (com_registo.empty()) {
        throw ErroImportacao("Nenhuma base de dados de " + origem.pasta() +
                             " tem a tabela BUPS: indique a principal com --main.");
    }
    std::string lista;
    for (const std::string& n : com_registo) lista += (lista.empty() ? "" : ", ") + n;
    throw ErroImportacao("Várias bases de dados têm a tabela BUPS (" + lista +
                         "): indique a principal com --main.");
}

void junta(std::vector<Plano>& planos, const std::string& nome, const std::string& palavra_passe) {
    for (const Plano& p : planos) {
        if (iequals(p.nome, nome)) return;
    }
    planos.push_back({nome, palavra_passe});
}

// The main database first, then the register's databases and structures
// that exist; those missing are noted against the main database.
std::vector<Plano> planos(const Pedido& pedido, const FicheirosOrigem& origem,
                          const std::string& nome_principal,
                          const std::vector<LinhaRegisto>& registo, Ficheiro& nota) {
    std::vector<Plano> lista{{nome_principal, pedido.palavra_passe}};
    auto procura = [&](const std::string& nome, const std::string& palavra_passe) {
        if (trim(nome).empty()) return;
        if (auto real = origem.procura(trim(nome)))
            junta(lista, *real, palavra_passe);
        else
            nota.nao_transportado.push_back("BUPS: " + trim(nome) +
                                            " não existe na pasta de origem");
    };
    for (const LinhaRegisto& l : registo) {
        procura(l.base, l.palavra_passe.value_or(""));
        procura(l.estrutura, "");
    }
    return lista;
}

void confirma_palavra_passe(FonteJet& fonte, const Plano& plano) {
    const std::optional<std::string> guardada = fonte.palavra_passe();
    if (guardada && *guardada != plano.palavra_passe) {
        throw ErroImportacao("A palavra-passe de " + plano.nome +
                             " não é a que o ficheiro guarda.");
    }
}

constexpr const char* kMarca = ".importacao-";
constexpr std::size_t kSufixo = 16;  // hexadecimal digits of the random token

// ".<target>.importacao-<16 hex digits>": the name of a run's folder.
bool pasta_de_importacao(const std::string& nome) {
    const auto marca = nome.rfind(kMarca);
    if (nome.size() < 2 || nome[0] != '.' || marca == std::string::npos || marca == 0) return false;
    const std::string sufixo = nome.substr(marca + std::strlen(kMarca));
    return sufixo.size() == kSufixo &&
           sufixo.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Removes a run's folder and then its companion lock, holding the
// companion's exclusive lock all along; false (nothing touched) when a live
// run holds it or it cannot be asked.
bool remove_com_bloqueio(const fs::path& pasta) {
    try {
        engine::ExclusiveLock exclusivo(pasta.string());
        std::error_code ignorado;
        fs::remove_all(pasta, ignorado);
        // The companion goes after its folder, by the holder of its
        // exclusive lock: a folder is never seen without its lock.
        if (!fs::exists(pasta, ignorado))
            fs::remove(engine::companion_path(pasta.string()), ignorado);
        return true;
    } catch (const engine::EngineError&) {
        return false;
    }
}

// A fresh folder beside the target, claimed by its companion lock (held
// shared for the run, made before the folder so that the folder never
// exists unclaimed) and made by this run (mkdir is the claim of the name),
// removed with whatever is in it unless handed over.
class PastaTemporaria {
  public:
    explicit PastaTemporaria(const fs::path& destino) {
        std::random_device aleatorio;
        for (int tentativa = 0; tentativa < 8 && caminho_.empty(); ++tentativa) {
            char sufixo[32];
            std::snprintf(sufixo, sizeof sufixo, "%s%08x%08x", kMarca, aleatorio(), aleatorio());
            const fs::path p = destino.parent_path() / ("." + destino.filename().string() + sufixo);
            try {
                bloqueio_ = engine::CompanionLock(p.string(), engine::CompanionLock::Mode::Shared);
            } catch (const engine::EngineError&) {
                continue;  // someone holds that name's lock: another name
            }
            if (::mkdir(p.c_str(), 0755) == 0) {
                caminho_ = p;
                break;
            }
            const int erro = errno;
            liberta_bloqueio(p);
            if (erro != EEXIST) break;
        }
        if (caminho_.empty()) {
            throw ErroImportacao("Não foi possível criar a pasta temporária ao lado de " +
                                 destino.string() + ".");
        }
    }
    ~PastaTemporaria() {
        if (caminho_.empty()) return;
        if (bloqueio_.held()) {
            // Our shared lock goes first: removing takes the exclusive one.
            // Should another run take it meanwhile, that run removes the folder.
            bloqueio_.release();
            remove_com_bloqueio(caminho_);
        } else {
            // A file system without locks: no other run can tell our folder
            // dead, so it is ours alone to remove.
            std::error_code ignorado;
            fs::remove_all(caminho_, ignorado);
            fs::remove(engine::companion_path(caminho_.string()), ignorado);
        }
    }
    PastaTemporaria(const PastaTemporaria&) = delete;
    PastaTemporaria& operator=(const PastaTemporaria&) = delete;

    const fs::path& caminho() const { return caminho_; }
    // Renames the folder to `destino`, never over anything there.
    void entrega(const fs::path& destino) {
        if (::renameat2(AT_FDCWD, caminho_.c_str(), AT_FDCWD, destino.c_str(), RENAME_NOREPLACE) !=
            0) {
            throw ErroImportacao("Não foi possível dar o nome " + destino.string() +
                                 " à pasta importada: " + std::strerror(errno) + ".");
        }
        const fs::path temporaria = std::exchange(caminho_, fs::path());
        const int pai = ::open(destino.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (pai >= 0) {
            ::fsync(pai);
            ::close(pai);
        }
        liberta_bloqueio(temporaria);
    }

  private:
    // The companion of a name whose folder is gone (renamed, or never made).
    void liberta_bloqueio(const fs::path& p) {
        if (bloqueio_.held()) {
            bloqueio_.release();
            remove_com_bloqueio(p);
        } else {
            std::error_code ignorado;
            fs::remove(engine::companion_path(p.string()), ignorado);
        }
    }

    engine::CompanionLock bloqueio_;
    fs::path caminho_;
};

// What killed imports left in `pai`: their folders, gone with their
// companions once no live run holds them; a folder whose lock a live run
// holds, or that has no lock to ask (or one that cannot be asked), is left
// and named in `relatorio`.  Companions whose folder is gone go too.
void recupera_sobras(const fs::path& pai, Relatorio& relatorio) {
    std::error_code erro;
    std::vector<fs::path> pastas, companheiros;
    for (fs::directory_iterator i(pai, erro), fim; !erro && i != fim; i.increment(erro)) {
        const std::string nome = i->path().filename().string();
        if (pasta_de_importacao(nome)) {
            if (i->symlink_status(erro).type() == fs::file_type::directory)
                pastas.push_back(i->path());
        } else if (nome.size() > 6 && nome.starts_with("..") && nome.ends_with(".lock") &&
                   pasta_de_importacao(nome.substr(1, nome.size() - 6))) {
            companheiros.push_back(pai / nome.substr(1, nome.size() - 6));
        }
    }
    for (const fs::path& p : pastas) {
        const bool com_bloqueio = fs::exists(engine::companion_path(p.string()), erro);
        if (com_bloqueio && remove_com_bloqueio(p)) continue;
        relatorio.avisos.push_back(
            "A pasta " + p.string() +
            (com_bloqueio
                 ? " é de uma importação ainda em curso, ou não se pode saber se é: ficou."
                 : " não tem bloqueio que diga se a importação que a fez ainda corre: ficou."));
    }
    for (const fs::path& p : companheiros) {
        if (!fs::exists(p, erro)) remove_com_bloqueio(p);
    }
}

void confirma_continua() {
    if (engine::interruption_requested() != 0) throw ErroImportacao(kImportacaoInterrompida);
}

// The register's folders inside the source project now point into the
// target (and exist there, empty); the others are listed for the user.
void muda_pastas(const fs::path& base, const std::string& palavra_passe,
                 const std::vector<LinhaRegisto>& registo, const Pedido& pedido,
                 const fs::path& temporaria, Relatorio& relatorio) {
    engine::Database db = engine::OpenDatabase(base.string(), true, false, ";pwd=" + palavra_passe);
    for (const LinhaRegisto& l : registo) {
        if (trim(l.pasta).empty()) continue;
        const auto nova = pasta_no_destino(l.pasta, pedido.origem, pedido.destino);
        if (!nova) {
            relatorio.pastas_a_rever.push_back(l.pasta);
            continue;
        }
        db.Execute("UPDATE BUPS SET BUP_CAMINHO_DESTINO = " + engine::quote_literal(*nova) +
                   " WHERE BUP_CAMINHO_DESTINO = " + engine::quote_literal(l.pasta));
        fs::create_directories(temporaria / fs::path(*nova).lexically_relative(pedido.destino));
    }
    db.Close();
}

// A main database without a register gets one, and a structure database
// made from its own tables, so that copies and the verification have what
// they need from the first start.
Ficheiro estrutura_e_registo(FonteJet& fonte, const fs::path& escrito, const Plano& principal,
                             const fs::path& destino, const fs::path& temporaria,
                             const Progresso& progresso) {
    Ficheiro estrutura;
    estrutura.nome = escrito.stem().string() + ".ebd";
    Contagens vazias;
    importa_base(fonte, (temporaria / estrutura.nome).string(), "", progresso, estrutura, vazias,
                 false);
    confirma_base((temporaria / estrutura.nome).string(), "", vazias);
    cria_registo(escrito.string(), principal.palavra_passe, destino.string(), principal.nome,
                 estrutura.nome);
    fs::create_directories(temporaria / "copiaseg");
    estrutura.nao_transportado.push_back(
        "estrutura feita das tabelas de " + principal.nome +
        ", que não tinha registo BUPS: criado com uma linha para ela");
    return estrutura;
}

}  // namespace

void importa_projecto(const Pedido& pedido, const AbreFonte& abre, const Progresso& progresso,
                      Relatorio& relatorio) {
    const fs::path destino = fs::absolute(pedido.destino).lexically_normal();
    std::error_code erro;
    if (fs::symlink_status(destino, erro).type() != fs::file_type::not_found) {
        throw ErroImportacao("A pasta de destino " + destino.string() +
                             " já existe: nada foi importado.");
    }
    recupera_sobras(destino.parent_path(), relatorio);
    const FicheirosOrigem origem(pedido.origem);
    const std::string nome_principal = principal(pedido, origem, abre);
    Ficheiro nota;
    const std::vector<LinhaRegisto> registo =
        le_registo(*abre(origem.pasta() + "/" + nome_principal));
    const std::vector<Plano> lista = planos(pedido, origem, nome_principal, registo, nota);
    for (const Plano& p : lista) origem.confirma_livre(p.nome);
    PastaTemporaria temporaria(destino);
    for (const Plano& p : lista) {
        confirma_continua();
        std::unique_ptr<FonteJet> fonte = abre(origem.pasta() + "/" + p.nome);
        confirma_palavra_passe(*fonte, p);
        Ficheiro ficheiro;
        ficheiro.nome = p.nome;
        Contagens contagens;
        const fs::path escrito = temporaria.caminho() / p.nome;
        importa_base(*fonte, escrito.string(), p.palavra_passe, progresso, ficheiro, contagens);
        std::optional<Ficheiro> feita;
        if (&p == &lista.front() && registo.empty()) {
            feita =
                estrutura_e_registo(*fonte, escrito, p, destino, temporaria.caminho(), progresso);
        }
        if (&p == &lista.front()) {
            muda_pastas(escrito, p.palavra_passe, registo, pedido, temporaria.caminho(), relatorio);
            ficheiro.nao_transportado.insert(ficheiro.nao_transportado.end(),
                                             nota.nao_transportado.begin(),
                                             nota.nao_transportado.end());
        }
        confirma_base(escrito.string(), p.palavra_passe, contagens);
        relatorio.ficheiros.push_back(std::move(ficheiro));
        if (feita) relatorio.ficheiros.push_back(std::move(*feita));
    }
    confirma_continua();
    temporaria.entrega(destino);
}

}  // namespace pezolva::importacao
