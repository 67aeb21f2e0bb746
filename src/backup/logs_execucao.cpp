#include "backup/logs_execucao.h"

namespace pezolva::backup {

void acrescenta_linha(std::string& texto, const std::string& linha) {
    if (!texto.empty()) texto += "\r\n";
    texto += linha;
}

void LogsExecucao::regista_erro(const std::string& linha) {
    acrescenta_linha(erros_, linha);
    acrescenta_linha(mensagens_, linha);
}

void LogsExecucao::regista_mensagem(const std::string& linha) {
    acrescenta_linha(mensagens_, linha);
}

}  // namespace pezolva::backup
