#include "compaction/reinstala_posto.h"

#include <chrono>
#include <thread>

#include "compaction/processo_setup.h"
#include "compaction/procura_janela.h"

namespace pezolva {

bool reinstala_posto(FileSystem& files, Dialogs& dialogs, const std::string& caminho,
                     const MostraEspera& mostra) {
    const std::string pasta = join_path(caminho, "setupposto");
    const std::string programa = join_path(pasta, "setup");
    if (!files.exists(programa)) {
        informa(dialogs,
                "Não foi possível executar o ficheiro setup.\n"
                "Verifique se a pasta SETUP_POSTO existe, e se tem acesso de leitura.",
                "Atenção", Icon::Information);
        return false;
    }
    ProcessoSetup processo(programa, pasta);
    SondasSetup sondas;
    sondas.janela_presente = []() -> std::optional<bool> {
        const auto janelas = janelas_do_ecra();
        if (!janelas) return std::nullopt;
        return procura_janela(*janelas, kTituloJanelaSetup, kClasseJanelaSetup).has_value();
    };
    sondas.processo_vivo = [&processo] { return processo.vivo(); };
    EsperaSetup espera(std::move(sondas));
    mostra(espera);
    return true;
}

void espera_no_terminal(EsperaSetup& espera) {
    while (!espera.tique()) std::this_thread::sleep_for(std::chrono::seconds(1));
}

}  // namespace pezolva
