#include "restore/onde_procurar.h"

#include "common/file_system.h"
#include "common/text.h"
#include "engine/database.h"
#include "register/bups.h"
#include "restore/copias_encontradas.h"

namespace pezolva::restore {

OndeProcurar onde_procurar(const ProjectoActual& projecto) {
    OndeProcurar onde;
    junta_pasta(onde.pastas, projecto.caminho);
    try {
        engine::Database principal =
            engine::OpenDatabase(projecto.base_principal(), false, true, projecto.ligacao());
        engine::Recordset registo = principal.OpenRecordset("select * from BUPS");
        std::vector<std::string> pastas = onde.pastas;
        std::vector<std::string> bases;
        std::map<std::string, std::string> ligacoes;
        for (; !registo.IsEOF(); registo.MoveNext()) {
            const std::string nome = registo[bups::kNomeBd].to_text();
            junta_pasta(pastas, registo[bups::kUltDestino].to_text());
            bases.push_back(nome);
            ligacoes[nome] = ligacao_da_linha(registo[bups::kPasswd]);
        }
        onde.pastas = std::move(pastas);
        onde.bases = std::move(bases);
        onde.ligacoes = std::move(ligacoes);
    } catch (const engine::EngineError& e) {
        // A wrong password is no damage: nothing is to be restored over a
        // database the user could not open.
        if (e.numero() == engine::ErroPalavraPasse) throw;
        // Precisely when the main database is damaged it must be restorable.
        onde.sem_registo = true;
        junta_pasta(onde.pastas, join_path(projecto.caminho, "copiaseg"));
        onde.bases = {projecto.nome_bd};
        onde.ligacoes = {{projecto.nome_bd, projecto.ligacao()}};
    }
    return onde;
}

std::string ligacao_de(const OndeProcurar& onde, const ProjectoActual& projecto,
                       const std::string& nome) {
    if (iequals(nome, nome_procurado(projecto.nome_bd))) return projecto.ligacao();
    for (const auto& [registada, ligacao] : onde.ligacoes) {
        if (iequals(nome, nome_procurado(registada))) return ligacao;
    }
    return "";
}

}  // namespace pezolva::restore
