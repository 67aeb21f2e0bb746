#pragma once

#include <functional>
#include <string>

#include "common/services.h"
#include "project/projecto.h"

namespace pezolva {

// What the register check asks of the other parts of the component, as
// the class mnt wires them.  An empty function stands for a part that is
// not there: no compaction means a refused one, no verification means the
// start-up sample is not taken.
struct AccoesValidacao {
    std::function<bool(const std::string& nfich)> era_readonly;
    std::function<bool(const std::string& caminho, const std::string& nome_bd,
                       const std::string& passwd, bool bloqueado)>
        faz_jet_comp;
    std::function<bool()> integr_sem_fo;
};

// Checks, creates or migrates the backup register of the current project:
//  1. drops one trailing "/" from the project folder (in `projecto` only);
//  2. opens the main database, recovering a read-only or unopenable file
//     (read-only cleared, or compacted) and trying once more; a wrong
//     password is shown as the engine words it and ends the run with
//     `inconsistente` set, never repaired;
//  3. creates BUPS when missing;
//  4. reads the register's version from its first row;
//  5. migrates a "brasol.mdb" register from "030909" to "030930";
//  6. points every row's destination at the project's "copiaseg" folder and
//     clears the registered databases' read-only attribute;
//  7. from the launcher, ends here;
//  8. adds "n_integridades_bd" when missing (30 for "brasol.mdb");
//  9. about once in n_integridades_bd starts, runs the silent verification.
// Sets `inconsistente` when the password does not open the main database,
// when its recovery (the compaction) fails or it still cannot be opened after it, when the
// verification finds differences, or when a migration step keeps failing; never clears it. Messages
// go through the dialogs.
void valida_bups_bd(ProjectoActual& projecto, Services& servicos, const AccoesValidacao& accoes,
                    bool& inconsistente);

}  // namespace pezolva
