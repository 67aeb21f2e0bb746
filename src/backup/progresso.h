#pragma once

#include <string>

namespace pezolva::backup {

// Where a backup shows how far it is: the database label, the stage (or
// table) label and a bar, as the backup window's progress frame does; a
// terminal shows them as lines.  `cede` lets the caller's event loop run
// (paint, clicks) between the steps of a long run.  The default does
// nothing, for runs nobody watches.
class Progresso {
  public:
    virtual ~Progresso() = default;
    // False when the progress display is hidden: nothing is shown then.
    virtual bool visivel() const { return false; }
    virtual void mostra(const std::string& /*base*/, const std::string& /*etapa*/) {}
    // The bar's range and value; a value outside the range is clamped.
    virtual void barra(int /*minimo*/, int /*maximo*/, int /*valor*/) {}
    virtual void avanca() {}
    virtual void cede() {}
};

}  // namespace pezolva::backup
