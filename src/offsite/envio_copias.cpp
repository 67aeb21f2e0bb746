#include "offsite/envio_copias.h"

#include <algorithm>
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

std::set<Chave> ja_enviadas(Restic& restic, const std::string& projecto) {
    std::set<Chave> chaves;
    for (const Instantaneo& i : restic.lista({kMarca, kTipoCopia, etiqueta_projecto(projecto)})) {
        const auto bd = valor_etiqueta(i.etiquetas, "bd");
        const auto carimbo = valor_etiqueta(i.etiquetas, "carimbo");
        if (bd && carimbo) chaves.insert({minusculas(*bd), *carimbo});
    }
    return chaves;
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
        const std::set<Chave> enviadas = ja_enviadas(restic_, projecto_.projecto);
        std::set<Chave> vistas;
        for (const restore::CopiaEncontrada& c : locais) {
            const Chave chave{minusculas(c.bd), c.carimbo};
            if (enviadas.count(chave) != 0 || !vistas.insert(chave).second) continue;
            envia(c);
        }
        const RegistoGuardado registo = le_registo_guardado(projecto_);
        for (const BaseGuardada& b : registo.bases) {
            restic_.esquece({kMarca, kTipoCopia, etiqueta_projecto(projecto_.projecto),
                             etiqueta_bd(restore::nome_procurado(b.nome_bd))},
                            b.copias_a_manter, false);
        }
        guarda_metadados(servicos_.files, restic_, projecto_, registo);
        poda_se_preciso();
        if (resumo_.enviadas > 0) {
            config_.ultimo_envio = texto_data_hora(servicos_.clock.now());
            regista_estado();
        }
    }

    ResumoEnvio& resumo() { return resumo_; }

private:
    void envia(const restore::CopiaEncontrada& c) {
        const auto hora = hora_do_carimbo(c.carimbo);
        if (!hora) return;  // a stamp that is no date: restic could not order it
        const Envio r = restic_.envia(join_path(c.caminho, c.nome_fich),
                                      etiquetas_copia(projecto_.projecto, c.bd, c.carimbo), *hora);
        ++resumo_.enviadas;
        resumo_.bytes_novos += r.bytes_novos;
        log_.regista_mensagem("Cópia " + c.nome_fich + " enviada para o repositório " +
                              config_.repositorio + ": " + bytes_legiveis(r.bytes_novos) +
                              " novos de " + bytes_legiveis(r.bytes) + ".");
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
            log_.regista_mensagem(std::string(e.what()) + " O espaço será libertado noutra altura.");
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
            actual->ultimo_envio = config_.ultimo_envio.empty() ? actual->ultimo_envio
                                                                : config_.ultimo_envio;
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
