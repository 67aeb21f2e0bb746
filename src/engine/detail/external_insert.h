#pragma once

#include <cstdint>

#include "engine/detail/db_state.h"
#include "engine/detail/dialect.h"

namespace pezolva::engine::detail {

// Copies the rows of the source table of this database into the table of
// the same name in another database file, and returns the rows kept.
// Rows that break a rule of the target (foreign key, NOT NULL, uniqueness,
// CHECK, or a text or binary value in a numeric column) are left out and
// not counted; the target's rows from before are left alone.  All or
// nothing: on an error the target is unchanged and the file detached.
// ErroFicheiroInexistente when the file does not exist (none is created),
// ErroTabelaInexistente when either table is missing, ErroMotor inside an
// open transaction.
std::int64_t insert_into_external(DbState& state, const ExternalInsert& insert);

}  // namespace pezolva::engine::detail
