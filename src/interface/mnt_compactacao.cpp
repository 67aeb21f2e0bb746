// The operations of mnt that compact databases and re-install the
// workstation.
#include <QApplication>

#include "compaction/faz_jetcomp_a_tudo.h"
#include "compaction/reinstala_posto.h"
#include "compaction/ui/espera_setup.h"
#include "interface/compactacao_anfitriao.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/mnt.h"

namespace pezolva {

bool mnt::faz_jetcomp_a_tudo() {
    return para_o_anfitriao([&] {
        exige_projecto();
        std::vector<CompactacaoFeita> feitas;
        bool todas = false;
        {
            const AmbienteDoAnfitriao a;
            todas = pezolva::faz_jetcomp_a_tudo(
                servicos(), a.ambiente(), estado().projecto_actual,
                [this](const std::string& nfich) {
                    std::string f = nfich;
                    return era_readonly(f);
                },
                [&](const std::string& nomebd, bool ok, const DetalheCompactacao& d) {
                    feitas.push_back({nomebd, ok, d});
                });
        }
        // The launcher's user asked for the run and sees how it went (the
        // wait window alone may flash too briefly to be read); the
        // management application's start keeps it silent.
        if (estado().projecto_actual.vem_de_pezolva) {
            informa(servicos().dialogs, resumo_compactacao(feitas), "Compactação",
                    todas ? Icon::Information : Icon::Warning);
        }
        return todas;
    });
}

bool mnt::faz_jet_comp(std::string& caminhobd, std::string& nomebd, std::string& passwd,
                       bool& bloqueado) {
    return para_o_anfitriao([&] {
        const AmbienteDoAnfitriao a;
        return compacta_bd(servicos(), a.ambiente(), caminhobd, nomebd, passwd, bloqueado);
    });
}

bool mnt::reinstala_posto() {
    return para_o_anfitriao([&] {
        exige_projecto();
        const bool com_janela =
            qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
        return pezolva::reinstala_posto(servicos().files, servicos().dialogs,
                                        estado().projecto_actual.caminho,
                                        [com_janela](EsperaSetup& espera) {
                                            if (!com_janela) return espera_no_terminal(espera);
                                            espera_setup janela(QApplication::activeWindow());
                                            janela.espera_pelo_setup(espera);
                                        });
    });
}

}  // namespace pezolva
