#include "engine/error.h"

namespace pezolva::engine {

EngineError item_not_found(const std::string& name) {
    return {ErroItemInexistente, "Item não encontrado nesta colecção: " + name + "."};
}

EngineError no_current_record() { return {ErroSemRegistoActual, "Não existe registo actual."}; }

EngineError object_closed() {
    return {ErroObjectoFechado, "O objecto já foi fechado e não pode ser usado."};
}

EngineError file_not_found(const std::string& path) {
    return {ErroFicheiroInexistente, "Não foi possível encontrar o ficheiro '" + path + "'."};
}

EngineError in_use(const std::string& path) {
    return {ErroEmUso, "O ficheiro '" + path + "' está em uso por outro utilizador."};
}

EngineError wrong_password() { return {ErroPalavraPasse, "Palavra-passe inválida."}; }

EngineError table_not_found(const std::string& name) {
    return {ErroTabelaInexistente,
            "Não foi possível encontrar a tabela ou consulta '" + name + "'."};
}

EngineError field_not_in_target(const std::string& table, const std::string& field,
                                const std::string& file) {
    return {ErroColuna, "Não foi possível copiar a tabela '" + table + "': o campo '" + field +
                            "' não existe nessa tabela em '" + file + "'."};
}

EngineError not_a_database(const std::string& path) {
    return {ErroNaoBaseDados, "Formato de base de dados não reconhecido: '" + path + "'."};
}

EngineError not_writable(const std::string& path) {
    return {ErroAbrirFicheiro,
            "Não foi possível abrir o ficheiro '" + path + "' para escrita: sem permissão."};
}

}  // namespace pezolva::engine
