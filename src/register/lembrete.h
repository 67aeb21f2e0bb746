#pragma once

#include "common/dialogs.h"
#include "common/date_time.h"
#include "engine/recordset.h"

namespace pezolva {

// Whether the user is to be reminded to make copies: some register row is
// due at `agora` (the rule of copia_devida) and has its reminder flag
// (BUP_ULT_APARECE_AVISO) set.  Rows are read in register order and the
// first such row decides.  `registo` is left where it was.
bool precisa_lembrete(engine::Recordset& registo, const DateTime& agora);

// The answers of the reminder, as the index of its buttons.
enum RespostaLembrete : int { kLembreteCancelado = -1, kFazer = 0, kNaoFazer = 1, kConfigurar = 2 };

// The reminder's question: "Cópias de Segurança", its text and the three
// buttons "&Fazer", "&Não Fazer", "&Configurar".
Choice pergunta_lembrete();

}  // namespace pezolva
