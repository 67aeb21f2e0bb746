// The unattended operations on the current project's off-site repository.
#include <unistd.h>

#include "common/date_time.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "interface/processos_fora.h"
#include "offsite/configuracao.h"
#include "offsite/copias_fora.h"
#include "offsite/recuperacao.h"
#include "offsite/restic.h"
#include "pezolva/offsite.h"
#include "restore/copias_encontradas.h"

namespace pezolva::operacoes {
namespace {

[[noreturn]] void recusa(const std::string& porque) { throw erro(kErroRepositorio, porque); }

template <typename F>
auto no_repositorio(F&& f) -> decltype(f()) {
    return para_o_anfitriao([&] {
        try {
            return f();
        } catch (const offsite::ErroRestic& e) {
            recusa(std::string(e.what()) +
                   (e.detalhe().empty() ? "" : "\n(restic: " + e.detalhe() + ")"));
        }
    });
}

offsite::ConfiguracaoOffsite configuracao_exigida() {
    exige_projecto();
    const auto c = offsite::le_configuracao(servicos().files, estado().projecto_actual.caminho);
    if (!c) {
        recusa("O projecto " + estado().projecto_actual.projecto +
               " não tem repositório para cópias fora do local (pezolva offsite set).");
    }
    return *c;
}

offsite::Restic restic_de(const offsite::ConfiguracaoOffsite& c) {
    return offsite::Restic(processos_fora(), c.repositorio, c.ficheiro_password, c.comando_sftp);
}

// The configuration `r` asks for, once its repository and password file pass.
offsite::ConfiguracaoOffsite aceita(const RepositorioFora& r) {
    exige_projecto();
    if (const auto porque = offsite::recusa_repositorio(r.repositorio)) recusa(*porque);
    if (r.ficheiro_password.empty() || r.ficheiro_password.front() != '/' ||
        ::access(r.ficheiro_password.c_str(), R_OK) != 0) {
        recusa("Não é possível ler o ficheiro da palavra-passe do repositório " +
               r.ficheiro_password + ".");
    }
    offsite::ConfiguracaoOffsite c;
    if (const auto antes =
            offsite::le_configuracao(servicos().files, estado().projecto_actual.caminho)) {
        c = *antes;
    }
    c.repositorio = r.repositorio;
    c.ficheiro_password = r.ficheiro_password;
    c.comando_sftp = r.comando_sftp;
    return c;
}

}  // namespace

std::optional<RepositorioFora> repositorio_fora() {
    return para_o_anfitriao([]() -> std::optional<RepositorioFora> {
        exige_projecto();
        const auto c = offsite::le_configuracao(servicos().files, estado().projecto_actual.caminho);
        if (!c) return std::nullopt;
        return RepositorioFora{c->repositorio,  c->ficheiro_password,  c->comando_sftp,
                               c->ultimo_envio, c->ultima_verificacao, c->resultado_verificacao};
    });
}

void cria_repositorio_fora(const RepositorioFora& r) {
    no_repositorio([&] {
        const offsite::ConfiguracaoOffsite c = aceita(r);
        restic_de(c).init();
        offsite::grava_configuracao(servicos().files, estado().projecto_actual.caminho, c);
    });
}

void define_repositorio_fora(const RepositorioFora& r) {
    no_repositorio([&] {
        const offsite::ConfiguracaoOffsite c = aceita(r);
        // An unmounted disk is a missing folder: it must fail here, never
        // become a repository on the system disk.
        if (offsite::repositorio_local(c.repositorio) &&
            !servicos().files.is_directory(offsite::pasta_local(c.repositorio))) {
            recusa("Não existe a pasta " + offsite::pasta_local(c.repositorio) +
                   " (um disco por montar?); para criar lá um repositório use pezolva offsite "
                   "init.");
        }
        restic_de(c).abre();
        offsite::grava_configuracao(servicos().files, estado().projecto_actual.caminho, c);
    });
}

void desliga_repositorio_fora() {
    para_o_anfitriao([] {
        configuracao_exigida();
        servicos().files.remove(offsite::caminho_configuracao(estado().projecto_actual.caminho));
    });
}

void poda_repositorio_fora() {
    no_repositorio([] {
        offsite::ConfiguracaoOffsite c = configuracao_exigida();
        restic_de(c).prune();
        c.ultimo_prune = servicos().clock.now().stamp().substr(0, 8);
        offsite::grava_configuracao(servicos().files, estado().projecto_actual.caminho, c);
    });
}

std::string verifica_repositorio_fora(const std::optional<std::string>& amostra) {
    return no_repositorio([&] {
        offsite::ConfiguracaoOffsite c = configuracao_exigida();
        c.ultima_verificacao = texto_data_hora(servicos().clock.now());
        std::string relatorio;
        try {
            relatorio = restic_de(c).verifica(amostra);
            c.resultado_verificacao = "sem erros";
        } catch (const offsite::ErroRestic& e) {
            c.resultado_verificacao = e.falha() == offsite::Falha::Outra
                                          ? "O repositório " + c.repositorio + " tem erros."
                                          : std::string(e.what());
            offsite::grava_configuracao(servicos().files, estado().projecto_actual.caminho, c);
            recusa(c.resultado_verificacao +
                   (e.detalhe().empty() ? "" : "\n(restic: " + e.detalhe() + ")"));
        }
        offsite::grava_configuracao(servicos().files, estado().projecto_actual.caminho, c);
        return relatorio;
    });
}

std::vector<CopiaFora> lista_copias_fora() {
    return no_repositorio([] {
        std::vector<CopiaFora> copias;
        exige_projecto();
        const auto c = offsite::le_configuracao(servicos().files, estado().projecto_actual.caminho);
        if (!c) return copias;
        offsite::Restic restic = restic_de(*c);
        for (const auto& f :
             offsite::lista_copias_fora(restic, estado().projecto_actual.projecto)) {
            copias.push_back({f.nome_fich, f.bd, restore::data_do_carimbo(f.carimbo), f.carimbo,
                              c->repositorio, f.id, f.caminho});
        }
        return copias;
    });
}

std::optional<std::string> repoe_de_fora(const CopiaFora& copia) {
    return no_repositorio([&] {
        const offsite::ConfiguracaoOffsite c = configuracao_exigida();
        offsite::Restic restic = restic_de(c);
        return offsite::repoe_de_fora(
            servicos(), estado().projecto_actual, restic,
            {copia.id, copia.nome_fich, copia.bd, copia.carimbo, copia.caminho, 0});
    });
}

std::string recupera_projecto_fora(const RepositorioFora& r, const std::string& projecto,
                                   const std::string& pasta, const std::string& passwd) {
    return no_repositorio([&] {
        if (const auto porque = offsite::recusa_repositorio(r.repositorio)) recusa(*porque);
        offsite::ConfiguracaoOffsite c;
        c.repositorio = r.repositorio;
        c.ficheiro_password = r.ficheiro_password;
        c.comando_sftp = r.comando_sftp;
        offsite::Restic restic = restic_de(c);
        offsite::Recuperacao feita;
        try {
            feita = offsite::recupera_projecto(servicos(), restic, projecto, pasta, passwd);
        } catch (const offsite::ErroRestic&) {
            throw;
        } catch (const std::runtime_error& e) {
            if (dynamic_cast<const FileError*>(&e) != nullptr) throw;
            recusa(e.what());
        }
        offsite::grava_configuracao(servicos().files, pasta, c);
        return feita.nome_bd;
    });
}

}  // namespace pezolva::operacoes
