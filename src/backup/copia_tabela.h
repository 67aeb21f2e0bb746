#pragma once

#include <cstdint>
#include <string>

#include "engine/copy_session.h"

namespace pezolva::backup {

// Copies the rows of `tabela` from the live database into the same table
// of the copy, through the session that joins them, in one set-based
// statement; rows that break a rule of the copy's structure are left out.
// Adds the table's row count in the live database (as the statement read
// it, so that a commit by another user cannot come between the count and
// the copy) to `total_registos`, whether or not every row went in, and
// sets `inseridas` to the rows the copy received.  True when the copy
// received every row; false, with `total_registos` unchanged and
// `inseridas` 0, when the table could not be copied for a reason of its
// own (it is missing on either side, a live field has no namesake in the
// copy's table): the session goes on.  An error that broke the session (a
// full disk, a read or write error, damage, an interruption) leaves the
// whole copy incomplete: it is thrown to the caller.
bool copia_tabela(engine::CopySession& sessao, const std::string& tabela,
                  std::int64_t& total_registos, std::int64_t& inseridas);

}  // namespace pezolva::backup
