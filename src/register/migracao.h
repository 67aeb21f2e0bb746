#pragma once

#include "common/dialogs.h"
#include "engine/database.h"

namespace pezolva {

// Migrates the register from the format "030909" (BUP_NOME_BD Text 25,
// BUP_ULT_NOME_ESTRUTURA Text 40) to "030930" (both Text 255): the two
// columns are moved through temporary ones, which leaves them after
// BUP_PASSWD, the primary index "PrimaryKey" is made again (primary only)
// and every row's version becomes "030930".
//
// The steps run in one write transaction, so that a failure never leaves a
// register half migrated (its key column gone, its values in a temporary
// column); a register that another start migrated since its version was
// read is left alone.  A failure is shown (its description, information icon,
// "Atenção") and the migration tried again from the start; after the same
// error three times in a row it is given up, the message saying so, the
// register left as it was, and false returned.
bool migra_bups(engine::Database& db, Dialogs& dialogs);

}  // namespace pezolva
