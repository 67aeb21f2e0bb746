#pragma once

#include "common/date_time.h"
#include "common/value.h"

namespace pezolva {

// Whether a register row's copy is due at `agora`, from its interval in
// days, and the date and time of its last copy.  An interval that is Null,
// empty, not a number or not above 0 is never due.  A Null date counts as
// 1 January 2000, a Null time as midnight.  Due when the seconds elapsed,
// divided by 86400, are at least the interval: an interval of 1 day is due
// exactly 86400 seconds after the last copy.
//
// The reminder and the backup window both decide with this one rule, so
// that a reminder answered "Fazer" always finds the same rows ticked.
bool copia_devida(const Value& intervalo_dias, const Value& ult_data, const Value& ult_hora,
                  const DateTime& agora);

// The moment of the last copy as the rule above reads it.
DateTime momento_ultima_copia(const Value& ult_data, const Value& ult_hora);

}  // namespace pezolva
