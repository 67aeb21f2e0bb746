#pragma once

#include <functional>

#include "backup/progresso.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace pezolva::backup {

// The backup window's progress frame as the engine sees it: the database
// label, the stage label and the bar.  Shown only while the frame is (or
// would be, once its window is shown) visible.  The bar never refuses a
// value: a range given upside down becomes empty, a value outside the range
// is clamped.  `cede` lets the event loop paint and take clicks, after
// `ao_ceder` (the window refreshes its logs there).
class ProgressoJanela : public Progresso {
  public:
    ProgressoJanela(QWidget& moldura, QLabel& base, QLabel& etapa, QProgressBar& barra,
                    std::function<void()> ao_ceder = {})
        : moldura_(moldura),
          base_(base),
          etapa_(etapa),
          barra_(barra),
          ao_ceder_(std::move(ao_ceder)) {}

    bool visivel() const override;
    void mostra(const std::string& base, const std::string& etapa) override;
    void barra(int minimo, int maximo, int valor) override;
    void avanca() override;
    void cede() override;

  private:
    QWidget& moldura_;
    QLabel& base_;
    QLabel& etapa_;
    QProgressBar& barra_;
    std::function<void()> ao_ceder_;
};

}  // namespace pezolva::backup
