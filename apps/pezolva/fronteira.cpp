#include "fronteira.h"

#include <string>

#include "common/file_system.h"
#include "engine/error.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {
namespace {

void mostra(Dialogs& dialogs, int numero, const std::string& descricao) {
    informa(dialogs, std::to_string(numero) + " - " + descricao, "Erro", Icon::Critical);
}

}  // namespace

bool fronteira(Dialogs& dialogs, const std::function<void()>& accao) {
    try {
        accao();
        return true;
    } catch (const pezolva::erro& e) {
        mostra(dialogs, e.numero(), e.what());
    } catch (const engine::EngineError& e) {
        mostra(dialogs, e.numero(), e.descricao());
    } catch (const FileError& e) {
        mostra(dialogs, e.error_number(), e.what());
    } catch (const std::exception& e) {
        mostra(dialogs, engine::ErroMotor, e.what());
    }
    return false;
}

}  // namespace pezolva::cli
