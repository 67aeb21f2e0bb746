// The operations of mnt that verify the registered databases against their
// structures, in the verification window or, without a window system, on
// the terminal.
#include <QApplication>
#include <cstdio>

#include "common/text.h"
#include "engine/error.h"
#include "integrity/execucao.h"
#include "integrity/ui/ver_integridade.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/mnt.h"

namespace pezolva {
namespace {

// Loads the project into the window and shows it until it closes.  An
// error is shown (its description, critical, "Erro") and gives false.
template <class Depois>
bool mostra_integridade(ver_integridade& janela, Depois&& depois) {
    try {
        janela.carrega_projecto();
        janela.exec();
        return depois(janela);
    } catch (const engine::EngineError& e) {
        informa(servicos().dialogs, e.descricao(), "Erro", Icon::Critical);
    } catch (const FileError& e) {
        informa(servicos().dialogs, e.what(), "Erro", Icon::Critical);
    }
    return false;
}

// The compact run where no window can be shown (a host without a
// QApplication, such as a terminal start): the banner and every error
// line go to the standard error.
bool verifica_no_terminal() {
    std::fputs("A VERIFICAR AS BASES DE DADOS\n", stderr);
    integrity::EstadoVerificacao contadores;
    integrity::Relatorio relatorio;
    integrity::verifica_projecto(estado().projecto_actual, contadores, relatorio);
    for (const std::string& linha : relatorio.erros())
        std::fprintf(stderr, "%s\n", linhas_lf(linha).c_str());
    return relatorio.sem_erros();
}

}  // namespace

bool mnt::integr_sem_fo() {
    return para_o_anfitriao([&] {
        exige_projecto();
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            estado().ha_diferencas = !verifica_no_terminal();
            return !estado().ha_diferencas;
        }
        ver_integridade janela(estado().projecto_actual, QApplication::activeWindow());
        janela.forma_compacta();
        return mostra_integridade(janela, [](const ver_integridade& j) {
            estado().ha_diferencas = j.ha_diferencas();
            return !estado().ha_diferencas;
        });
    });
}

bool mnt::integr_com_fo() {
    return para_o_anfitriao([&] {
        exige_projecto();
        exige_janelas();
        ver_integridade janela(estado().projecto_actual, QApplication::activeWindow());
        janela.forma_completa();
        return mostra_integridade(
            janela, [](const ver_integridade& j) { return j.verificacao_sem_erros(); });
    });
}

}  // namespace pezolva
