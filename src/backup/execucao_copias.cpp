#include "backup/execucao_copias.h"

#include "engine/interruption.h"
#include "engine/quoting.h"
#include "register/bups.h"

namespace pezolva::backup {

FimExecucao executa_copias(const std::vector<std::string>& seleccionadas,
                           engine::Recordset& registo, CopiaBaseDados& copia, LogsExecucao& log,
                           Dialogs& dialogs, const std::function<void()>& ao_iniciar_copia) {
    const engine::SignalInterruption sinais;
    log.limpa_erros();
    bool iniciada = false;
    for (const std::string& nome : seleccionadas) {
        if (engine::interruption_requested() != 0) return FimExecucao::Interrompida;
        registo.FindFirst(std::string(bups::kNomeBd) + "=" + engine::quote_literal(nome));
        if (registo.NoMatch()) {
            log.regista_erro(
                "Erro interno. Não foi encontrado o registo de cópias de segurança da base de "
                "dados " +
                nome + ".");
            continue;
        }
        iniciada = true;
        if (ao_iniciar_copia) ao_iniciar_copia();
        copia.copia(registo);
    }
    if (engine::interruption_requested() != 0) return FimExecucao::Interrompida;
    if (seleccionadas.empty()) {
        informa(dialogs,
                "Não está nenhuma base de dados seleccionada. Clique no quadrado do lado esquerdo "
                "do nome dos ficheiros a copiar.",
                "Atenção", Icon::Information);
        return FimExecucao::NadaSeleccionado;
    }
    if (!iniciada) return FimExecucao::NenhumaIniciada;
    return log.sem_erros() ? FimExecucao::Concluida : FimExecucao::ComErros;
}

}  // namespace pezolva::backup
