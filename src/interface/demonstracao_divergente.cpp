// The demonstration's second project: a copy whose main structure database
// was made to differ, so that the verification has something to show.
#include <filesystem>
#include <optional>
#include <utility>

#include "common/file_system.h"
#include "common/text.h"
#include "engine/error.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/demonstracao.h"
#include "testproject/divergencias.h"
#include "testproject/projecto_teste.h"

namespace pezolva::demonstracao {
namespace {

namespace fs = std::filesystem;

// The first index that is not a table's primary one: (table, index).
std::optional<std::pair<std::string, std::string>> primeiro_indice(engine::Database& db) {
    for (const engine::TableDef& t : db.TableDefs()) {
        for (const engine::Index& i : t.Indexes()) {
            if (!i.Primary()) return std::pair{t.Name(), i.Name()};
        }
    }
    return std::nullopt;
}

// The changes, made on the open structure; one line each says what.
std::vector<std::string> diverge(engine::Database& estrutura) {
    std::vector<std::string> feitas;
    testproject::muda_tamanho(estrutura, "corporacoes", "nome", 150);
    feitas.push_back("o campo corporacoes.nome com 150 caracteres em vez de 100");
    if (const auto indice = primeiro_indice(estrutura)) {
        testproject::apaga_indice(estrutura, indice->first, indice->second);
        feitas.push_back("sem o índice " + indice->first + "." + indice->second);
    }
    testproject::apaga_relacao(estrutura, testproject::kRelacaoTurnos);
    feitas.push_back(std::string("sem a relação ") + testproject::kRelacaoTurnos);
    return feitas;
}

// Copies the project's files into `pasta`, not there before, and makes its
// main structure differ; whatever fails leaves no `pasta`.
std::vector<std::string> faz_copia(const Projecto& original, const std::string& pasta) {
    const std::string temporaria = pasta + ".pezolva-tmp";
    try {
        fs::remove_all(temporaria);  // what a killed run left
        fs::create_directories(temporaria);
        for (const Base& b : original.bases) {
            for (const std::string& f : {b.ficheiro, b.estrutura}) {
                fs::copy_file(join_path(original.pasta, f), join_path(temporaria, f));
            }
        }
        std::vector<std::string> feitas;
        {
            engine::Database estrutura =
                engine::OpenDatabase(join_path(temporaria, original.bases.front().estrutura), false,
                                     false, std::string(";pwd=") + testproject::kPassePrincipal);
            feitas = diverge(estrutura);
        }
        fs::rename(temporaria, pasta);
        return feitas;
    } catch (const engine::EngineError&) {
        fs::remove_all(temporaria);
        throw;
    } catch (const std::exception& e) {
        std::error_code ignorado;
        fs::remove_all(temporaria, ignorado);
        throw erro(engine::ErroMotor,
                   "Não foi possível preparar a cópia " + pasta + ": " + e.what());
    }
}

}  // namespace

Projecto prepara_divergente(const Projecto& original, const std::string& pasta,
                            std::vector<std::string>& alteracoes) {
    return para_o_anfitriao([&] {
        if (fs::exists(pasta)) {
            alteracoes = {"(a cópia já existia: as alterações foram feitas quando foi criada)"};
        } else {
            alteracoes = faz_copia(original, pasta);
        }
        Projecto copia = original;
        copia.pasta = pasta;
        copia.pasta_copias = join_path(pasta, "copiaseg");
        return copia;
    });
}

}  // namespace pezolva::demonstracao
