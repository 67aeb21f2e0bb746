// The operation of mnt that shows the restore window.
#include <QApplication>
#include <stdexcept>

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
        try {
            if (const auto config = offsite::le_configuracao(servicos().files, projecto.caminho)) {
                janela.logica().define_fonte(
                    offsite::fonte_copias(servicos(), projecto, processos_fora(), *config));
            }
        } catch (const FileError& e) {
            // A repository file that cannot be read costs the local copies
            // nothing: the window says why, in its message line.
            restore::FonteCopias ilegivel;
            ilegivel.nome = "Repositório";
            const std::string porque =
                std::string(offsite::kFicheiroConfiguracao) + ": " + e.descricao();
            ilegivel.lista = [porque]() -> std::vector<restore::CopiaEncontrada> {
                throw std::runtime_error(porque);
            };
            // Never reached (nothing is listed), and never a success.
            ilegivel.repoe =
                [porque](const restore::CopiaEncontrada&) -> std::optional<std::string> {
                throw std::runtime_error(porque);
            };
            janela.logica().define_fonte(std::move(ilegivel));
        }
        janela.exec();
    });
}

}  // namespace pezolva
