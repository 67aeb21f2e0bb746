// The operations of mnt that show the backup window or the reminder.
#include <QApplication>
#include <set>
#include <utility>

#include "backup/ui/conf_copias.h"
#include "common/text.h"
#include "engine/error.h"
#include "engine/interruption.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "interface/processos_fora.h"
#include "offsite/configuracao.h"
#include "offsite/envio_copias.h"
#include "pezolva/mnt.h"
#include "register/lembrete.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"

namespace pezolva {
namespace {

// The copies on disk of the project's databases, by name and size: what a
// run of the window changed is what it made.
std::set<std::pair<std::string, std::uint64_t>> copias_no_disco() {
    const restore::OndeProcurar onde = restore::onde_procurar(estado().projecto_actual);
    std::set<std::pair<std::string, std::uint64_t>> copias;
    for (const auto& c : restore::procura_copias(servicos().files, onde.pastas, onde.bases, " ")) {
        copias.insert({join_path(c.caminho, c.nome_fich), c.bytes});
    }
    return copias;
}

// The copies the window's runs named go to the project's repository too,
// once it closes (with those an earlier run could not send).  False, after
// saying why, when they could not: they stay on disk, and the next run
// sends them.
bool envia_para_fora(const std::set<std::pair<std::string, std::uint64_t>>& antes) {
    const ProjectoActual& projecto = estado().projecto_actual;
    const auto config = offsite::le_configuracao(servicos().files, projecto.caminho);
    if (!config || copias_no_disco() == antes) return true;
    backup::LogsExecucao log;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    offsite::envia_para_fora(servicos(), projecto, *config, processos_fora(), log);
    QApplication::restoreOverrideCursor();
    engine::clear_interruption();
    if (log.sem_erros()) return true;
    informa(servicos().dialogs,
            "As cópias não foram todas enviadas para fora do local:\n\n" + linhas_lf(log.erros()),
            "Atenção", Icon::Warning);
    return false;
}

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
    const auto antes = copias_no_disco();
    janela.exec();
    return envia_para_fora(antes) && janela.execucao_sem_erros();
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
