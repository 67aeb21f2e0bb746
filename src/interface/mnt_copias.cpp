// The operations of mnt that show the backup window or the reminder.
#include <QApplication>

#include "backup/ui/conf_copias.h"
#include "engine/error.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/mnt.h"
#include "register/lembrete.h"

namespace pezolva {
namespace {

// Loads the project into the window and shows it until it closes.  A step
// that fails is reported ("Erro", critical) and the next one taken, so the
// user still gets the window.  True when a run took place in it and ended
// without errors.
bool mostra_copias(conf_copias& janela) {
    try {
        janela.carrega_projecto();
    } catch (const engine::EngineError& e) {
        informa(servicos().dialogs, e.descricao(), "Erro", Icon::Critical);
    }
    janela.exec();
    return janela.execucao_sem_erros();
}

// The backup window in the form `forma` sets, shown until it closes.
bool abre_copias(void (conf_copias::*forma)()) {
    return para_o_anfitriao([&] {
        exige_projecto();
        exige_janelas();
        conf_copias janela(servicos(), estado().projecto_actual, QApplication::activeWindow());
        (janela.*forma)();
        return mostra_copias(janela);
    });
}

}  // namespace

bool mnt::copia_segur_sem_fo() { return abre_copias(&conf_copias::forma_compacta); }

bool mnt::copia_segur_com_fo() { return abre_copias(&conf_copias::forma_completa); }

void mnt::ver_existen_ficheiros_a_copiar() {
    para_o_anfitriao([&] {
        exige_projecto();
        if (!decide_lembrete(estado().projecto_actual, servicos().clock.now()).perguntar) return;
        estado().resposta = kLembreteCancelado;
        estado().resposta = servicos().dialogs.choose(pergunta_lembrete());
        if (estado().resposta == kFazer) {
            copia_segur_sem_fo();
        } else if (estado().resposta == kConfigurar) {
            copia_segur_com_fo();
        }
    });
}

}  // namespace pezolva
