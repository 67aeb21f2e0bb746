#pragma once

#include <string>

namespace pezolva::restore {

// A copy of the main database carries no register (the backup builds it
// from the structure database), so restoring it would lose every row of
// BUPS: destinations, copies to keep, the other databases' passwords.
//
// Carries the register of the live main database `viva` (its table, its
// indexes and its rows) into the restored file `novo`, before it takes the
// live one's place; a register the copy had is replaced.  For the holder
// of the live database's exclusive lock.  True when carried; false when
// the live database cannot be read with the password `ligacao` or has no
// register (a fresh one is made at the next start, or at once by the
// restore window), and `novo` is as it was.  Throws EngineError when `novo`
// cannot be written (it is then as it was).
bool transporta_registo(const std::string& viva, const std::string& novo,
                        const std::string& ligacao);

// Said after a restore of the main database whose register could not be
// carried: a fresh one, with the default rows, takes its place (at once in
// the restore window, at the next start otherwise).
inline constexpr const char* kRegistoRecriado =
    "O registo das cópias de segurança não pôde ser lido da base de dados substituída: é criado de "
    "novo, com os valores por omissão.";

}  // namespace pezolva::restore
