#pragma once

#include <string>

#include "common/dialogs.h"
#include "common/value.h"

namespace pezolva {

// Checks a value typed for a column of engine type `tipo` (2 Byte,
// 3 Integer, 4 Long, 6 Single, 7 Double, 8 Date/Time, 10 Text) and maximum
// length `tamanho`.  An empty value is always acceptable.  A refused value
// is explained to the user through `dialogs` before false is returned.
bool valida_valor(const Value& valor, int tipo, int tamanho, Dialogs& dialogs);

}  // namespace pezolva
