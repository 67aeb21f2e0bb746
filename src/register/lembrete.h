#pragma once

#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/dialogs.h"
#include "engine/recordset.h"
#include "project/projecto.h"

namespace pezolva {

// Whether the user is to be reminded to make copies: some register row is
// due at `agora` (the rule of copia_devida) and has its reminder flag
// (BUP_ULT_APARECE_AVISO) set.  Rows are read in register order and the
// first such row decides.  `registo` is left where it was.
bool precisa_lembrete(engine::Recordset& registo, const DateTime& agora);

// The answers of the reminder, as the index of its buttons.
enum RespostaLembrete : int { kLembreteCancelado = -1, kFazer = 0, kNaoFazer = 1, kConfigurar = 2 };

// What a project's start decides about the reminder: whether to ask, and
// which databases a "Fazer" would copy.
struct DecisaoLembrete {
    bool perguntar = false;
    std::vector<std::string> devidas;  // bases_devidas at `agora`, register order
};

// The reminder's decision for `projecto` at `agora`: nothing to ask when this
// workstation makes no copies (the main database is not even opened);
// otherwise the main database's register is read (precisa_lembrete,
// bases_devidas) and closed before this returns, so the question never
// waits with the database open.  Throws EngineError when the main
// database or its register cannot be read.
DecisaoLembrete decide_lembrete(const ProjectoActual& projecto, const DateTime& agora);

// The reminder's question: "Cópias de Segurança", its text and the three
// buttons "&Fazer", "&Não Fazer", "&Configurar".
Choice pergunta_lembrete();

}  // namespace pezolva
