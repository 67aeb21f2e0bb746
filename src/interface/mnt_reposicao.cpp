// The operation of mnt that shows the restore window.
#include <QApplication>

#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/mnt.h"
#include "restore/ui/repor_copias_janela.h"

namespace pezolva {

void mnt::repor_copias_segur() {
    para_o_anfitriao([&] {
        exige_projecto();
        exige_janelas();
        repor_copias janela(servicos(), estado().projecto_actual, QApplication::activeWindow());
        janela.exec();
    });
}

}  // namespace pezolva
