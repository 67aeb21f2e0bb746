#include "pezolva/mnt.h"

#include "common/file_system.h"
#include "common/ui/traducao_qt.h"
#include "compaction/era_readonly.h"
#include "engine/error.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "project/projectos.h"
#include "project/ui/escolhe_proj.h"
#include "register/valida_bups.h"
#include "restore/sobras_reposicao.h"

namespace pezolva {

struct mnt::Impl {
    // Set by the register check when the main database stays closed or is
    // out of step with its structure; read by actualiza_path.
    bool inconsistente = false;
};

mnt::mnt() : impl_(std::make_unique<Impl>()) {
    // Qt's own texts (standard buttons, the host's password prompt) in
    // Portuguese from the start, when the host already has its QApplication.
    instala_traducao_qt();
}
mnt::~mnt() = default;

bool mnt::actualiza_path(std::string& caminho, std::string& projecto, std::string& nome_bd,
                         std::string& descr, std::string& passwd, bool& vem_de_pezolva) {
    return para_o_anfitriao([&] {
        regista_projecto(servicos().settings, estado().projecto_actual, caminho, projecto, nome_bd,
                         descr, passwd, vem_de_pezolva);
        // A restore killed half-way may have left the main database set
        // aside: it goes back before anything looks for it.
        restore::recupera_e_avisa(servicos(), estado().projecto_actual.caminho);
        impl_->inconsistente = false;
        valida_bups_bd();
        return !impl_->inconsistente;
    });
}

void mnt::valida_bups_bd() {
    para_o_anfitriao([&] {
        exige_projecto();
        AccoesValidacao accoes;
        accoes.era_readonly = [this](const std::string& nfich) {
            std::string f = nfich;
            return era_readonly(f);
        };
        accoes.integr_sem_fo = [this] { return integr_sem_fo(); };
        accoes.faz_jet_comp = [this](const std::string& caminho, const std::string& nome_bd,
                                     const std::string& passwd, bool bloqueado) {
            std::string c = caminho, n = nome_bd, p = passwd;
            return faz_jet_comp(c, n, p, bloqueado);
        };
        pezolva::valida_bups_bd(estado().projecto_actual, servicos(), accoes, impl_->inconsistente);
    });
}

bool mnt::era_readonly(std::string& nfich) {
    return para_o_anfitriao(
        [&] { return pezolva::era_readonly(servicos().files, servicos().dialogs, nfich); });
}

bool mnt::selecciona_projectos(std::string& nome_proj, std::string& descr, std::string& caminho,
                               std::string& nome_bd, bool& ha_mais) {
    return para_o_anfitriao([&] {
        // The choice among several is a window: without a QApplication the
        // host gets an error it can catch, not Qt's abort.
        const auto escolhe = [](const std::vector<EntradaProjecto>& lista) {
            exige_janelas();
            return mostra_escolhe_proj(lista);
        };
        return pezolva::selecciona_projectos(servicos().settings, servicos().dialogs, escolhe,
                                             estado().lista_projectos, nome_proj, descr, caminho,
                                             nome_bd, ha_mais);
    });
}

}  // namespace pezolva
