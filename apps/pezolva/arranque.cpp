#include "arranque.h"

#include "common/dialogs.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {

bool arranca_projecto(pezolva::mnt& m, std::string caminho, std::string projecto,
                      std::string nome_bd, std::string descr, std::string passwd,
                      bool vem_de_pezolva) {
    if (!m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva)) return false;
    const ProjectoActual& actual = estado().projecto_actual;
    // mnt goes on past a missing main database, after saying so; there is
    // no project to work on.
    if (!servicos().files.exists(actual.base_principal())) return false;
    try {
        engine::OpenDatabase(actual.base_principal(), false, true, actual.ligacao()).Close();
    } catch (const engine::EngineError& e) {
        informa(servicos().dialogs, std::to_string(e.numero()) + " - " + e.descricao(), "Erro",
                Icon::Critical);
        return false;
    }
    return true;
}

PalavraPasse pede_palavra_passe(const std::string& base, const std::string& projecto,
                                const PedePalavraPasse& pede) {
    constexpr int kTentativas = 3;
    const std::string pergunta = "Palavra-passe da base de dados de " + projecto + ":";
    for (int tentativa = 0; tentativa < kTentativas; ++tentativa) {
        const std::optional<std::string> dada =
            pede(tentativa == 0 ? pergunta : "A palavra-passe está errada.\n" + pergunta);
        if (!dada) return {PalavraPasse::Fim::Cancelada, {}};
        try {
            engine::OpenDatabase(base, false, true, ";pwd=" + *dada).Close();
        } catch (const engine::EngineError& e) {
            if (e.numero() == engine::ErroPalavraPasse) continue;
        }
        return {PalavraPasse::Fim::Aceite, *dada};
    }
    return {PalavraPasse::Fim::Errada, {}};
}

}  // namespace pezolva::cli
