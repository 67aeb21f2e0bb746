#include "offsite/envio_copias.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "common/date_time.h"
#include "engine/interruption.h"
#include "offsite/etiquetas.h"
#include "offsite/metadados.h"
#include "offsite/restic.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"

namespace pezolva::offsite {
namespace {

std::string minusculas(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

using Chave = std::pair<std::string, std::string>;  // database (lower case), stamp

// What the repository holds of the project, from one listing.
struct JaNoRepositorio {
    std::map<Chave, std::pair<std::string, std::string>> copias;  // snapshot id, file version
    std::map<std::string, int> por_bd;  // copies of each database (lower case)
    int registos = 0;
    int estruturas = 0;
};

JaNoRepositorio ja_enviadas(Restic& restic, const std::string& projecto) {
    JaNoRepositorio ja;
    for (const Instantaneo& i : restic.lista({kMarca, etiqueta_projecto(projecto)})) {
        const auto tipo = valor_etiqueta(i.etiquetas, "tipo");
        if (tipo == "registo") ++ja.registos;
        if (tipo == "estrutura") ++ja.estruturas;
        const auto bd = valor_etiqueta(i.etiquetas, "bd");
        const auto carimbo = valor_etiqueta(i.etiquetas, "carimbo");
        if (tipo != "copia" || !bd || !carimbo) continue;
        const std::string versao = valor_etiqueta(i.etiquetas, "versao").value_or("");
        if (ja.copias.insert({{minusculas(*bd), *carimbo}, {i.id, versao}}).second) {
            ++ja.por_bd[minusculas(*bd)];
        }
    }
    return ja;
}

// The file's size and change time: a copy made again in the same minute
// keeps its name, but not these.
std::string versao_do_ficheiro(const std::string& caminho) {
    struct stat st {};
    if (::stat(caminho.c_str(), &st) != 0) return "";
    return std::to_string(st.st_size) + "-" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

class EnvioProjecto {
  public:
    EnvioProjecto(Services& s, const ProjectoActual& p, ConfiguracaoOffsite c, Processos& processos,
                  backup::LogsExecucao& log)
        : servicos_(s),
          projecto_(p),
          config_(std::move(c)),
          restic_(processos, config_.repositorio, config_.ficheiro_password, config_.comando_sftp),
          log_(log) {}

    void corre() {
        const restore::OndeProcurar onde = restore::onde_procurar(projecto_);
        auto locais = restore::procura_copias(servicos_.files, onde.pastas, onde.bases, " ");
        restore::ordena(locais, 3, false);  // oldest first: a later run keeps the order
        JaNoRepositorio ja = ja_enviadas(restic_, projecto_.projecto);
        std::set<Chave> vistas;
        for (const restore::CopiaEncontrada& c : locais) {
            const Chave chave{minusculas(c.bd), c.carimbo};
            if (!vistas.insert(chave).second) continue;
            const std::string versao = versao_do_ficheiro(join_path(c.caminho, c.nome_fich));
            const auto la = ja.copias.find(chave);
            if (la == ja.copias.end()) {
                if (envia(c, versao)) ++ja.por_bd[chave.first];
            } else if (la->second.second != versao && envia(c, versao)) {
                // The same name made again: the repository keeps the newer one only.
                restic_.esquece_instantaneo(la->second.first);
            }
        }
        const RegistoGuardado registo = le_registo_guardado(projecto_);
        // Forgetting takes a lock and a few seconds: only where there is
        // more than the register keeps.
        for (const BaseGuardada& b : registo.bases) {
            const std::string bd = nome_procurado(b.nome_bd);
            if (ja.por_bd[minusculas(bd)] <= b.copias_a_manter) continue;
            restic_.esquece(
                {kMarca, kTipoCopia, etiqueta_projecto(projecto_.projecto), etiqueta_bd(bd)},
                b.copias_a_manter, false);
        }
        guarda_metadados(restic_, projecto_, registo, ja.registos, ja.estruturas);
        poda_se_preciso();
        if (resumo_.enviadas > 0) {
            config_.ultimo_envio = texto_data_hora(servicos_.clock.now());
            regista_estado();
        }
    }

    ResumoEnvio& resumo() { return resumo_; }

  private:
    bool envia(const restore::CopiaEncontrada& c, const std::string& versao) {
        const auto hora = hora_do_carimbo(c.carimbo);
        if (!hora) return false;  // a stamp that is no date: restic could not order it
        std::vector<std::string> etiquetas = etiquetas_copia(projecto_.projecto, c.bd, c.carimbo);
        etiquetas.push_back("versao=" + codifica(versao));
        const Envio r = restic_.envia(join_path(c.caminho, c.nome_fich), etiquetas, *hora);
        ++resumo_.enviadas;
        resumo_.bytes_novos += r.bytes_novos;
        log_.regista_mensagem("Cópia " + c.nome_fich + " enviada para o repositório " +
                              config_.repositorio + ": " + bytes_legiveis(r.bytes_novos) +
                              " novos de " + bytes_legiveis(r.bytes) + ".");
        return true;
    }

    void poda_se_preciso() {
        const std::string hoje = servicos_.clock.now().stamp().substr(0, 8);
        if (config_.ultimo_prune == hoje) return;
        try {
            restic_.prune();
        } catch (const ErroRestic& e) {
            // Another user's run holds the repository: freeing space can
            // wait for a later run, the copies are safe.
            if (e.falha() != Falha::Bloqueado) throw;
            log_.regista_mensagem(std::string(e.what()) +
                                  " O espaço será libertado noutra altura.");
            return;
        }
        config_.ultimo_prune = hoje;
        regista_estado();
    }

    // The run's record for the main window; a folder the user may not
    // write costs the record, never the copies.
    void regista_estado() {
        try {
            auto actual = le_configuracao(servicos_.files, projecto_.caminho);
            if (!actual) return;
            actual->ultimo_envio =
                config_.ultimo_envio.empty() ? actual->ultimo_envio : config_.ultimo_envio;
            actual->ultimo_prune = config_.ultimo_prune;
            grava_configuracao(servicos_.files, projecto_.caminho, *actual);
        } catch (const FileError&) {
        }
    }

    Services& servicos_;
    const ProjectoActual& projecto_;
    ConfiguracaoOffsite config_;
    Restic restic_;
    backup::LogsExecucao& log_;
    ResumoEnvio resumo_;
};

}  // namespace

std::string bytes_legiveis(std::uint64_t bytes) {
    std::string d = std::to_string(bytes), r;
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (i > 0 && (d.size() - i) % 3 == 0) r += ' ';
        r += d[i];
    }
    return r + " bytes";
}

ResumoEnvio envia_para_fora(Services& servicos, const ProjectoActual& projecto,
                            const ConfiguracaoOffsite& config, Processos& processos,
                            backup::LogsExecucao& log) {
    EnvioProjecto envio(servicos, projecto, config, processos, log);
    bool falhou = false;
    try {
        envio.corre();
    } catch (const ErroRestic& e) {
        falhou = true;
        if (e.falha() == Falha::Interrompido) {
            envio.resumo().interrompido_por = engine::interruption_requested();
        }
        log.regista_erro(std::string(e.what()) +
                         (e.detalhe().empty() ? "" : " (restic: " + e.detalhe() + ")"));
    }
    const ResumoEnvio r = envio.resumo();
    if (r.enviadas > 0 || !falhou) {
        log.regista_mensagem("Enviadas para o repositório " + config.repositorio + ": " +
                             std::to_string(r.enviadas) + " cópia(s), " +
                             bytes_legiveis(r.bytes_novos) + " novos.");
    }
    return r;
}

}  // namespace pezolva::offsite
