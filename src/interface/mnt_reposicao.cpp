// The operation of mnt that shows the restore window.
#include <QApplication>

#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "interface/processos_fora.h"
#include "offsite/configuracao.h"
#include "offsite/copias_fora.h"
#include "pezolva/mnt.h"
#include "restore/ui/repor_copias_janela.h"

namespace pezolva {

void mnt::repor_copias_segur() {
    para_o_anfitriao([&] {
        exige_projecto();
        exige_janelas();
        const ProjectoActual& projecto = estado().projecto_actual;
        repor_copias janela(servicos(), projecto, QApplication::activeWindow());
        // Off-site copies are listed only for a project with a repository:
        // without one the window never reaches the network.
        if (const auto config = offsite::le_configuracao(servicos().files, projecto.caminho)) {
            janela.logica().define_fonte(
                offsite::fonte_copias(servicos(), projecto, processos_fora(), *config));
        }
        janela.exec();
    });
}

}  // namespace pezolva
