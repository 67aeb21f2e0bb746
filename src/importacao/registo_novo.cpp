#include "importacao/registo_novo.h"

#include "common/console_dialogs.h"
#include "engine/database.h"
#include "engine/quoting.h"
#include "importacao/erro_importacao.h"
#include "project/projecto.h"
#include "register/bups.h"

namespace pezolva::importacao {

void cria_registo(const std::string& base, const std::string& palavra_passe,
                  const std::string& destino, const std::string& nome_principal,
                  const std::string& estrutura) {
    using engine::quote_literal;
    try {
        engine::Database db = engine::OpenDatabase(base, true, false, ";pwd=" + palavra_passe);
        ProjectoActual projecto;
        projecto.caminho = destino;
        projecto.nome_bd = nome_principal;
        ConsoleDialogs dialogos;
        if (!cria_bups(db, projecto, dialogos))
            throw ErroImportacao(base + ": a tabela BUPS não foi criada.");
        db.Execute(std::string("INSERT INTO BUPS (") + bups::kNomeBd + ", " + bups::kDiasIntervalo +
                   ", " + bups::kCopiasAManter + ", " + bups::kCaminhoDestino + ", " +
                   bups::kUltNomeEstrutura + ", " + bups::kUltApareceAviso + ", " + bups::kVersao +
                   ") VALUES (" + quote_literal(nome_principal) + ", 1, 5, " +
                   quote_literal(destino + "/" + bups::kPastaCopias) + ", " +
                   quote_literal(estrutura) + ", 0, " + quote_literal(bups::kVersaoActual) + ")");
        db.Close();
    } catch (const engine::EngineError& e) {
        throw ErroImportacao(base + ", tabela BUPS: " + e.what());
    }
}

}  // namespace pezolva::importacao
