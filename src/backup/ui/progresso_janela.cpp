#include "backup/ui/progresso_janela.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

namespace pezolva::backup {

bool ProgressoJanela::visivel() const { return moldura_.isVisibleTo(moldura_.window()); }

void ProgressoJanela::mostra(const std::string& base, const std::string& etapa) {
    base_.setText(QString::fromStdString(base));
    etapa_.setText(QString::fromStdString(etapa));
}

void ProgressoJanela::barra(int minimo, int maximo, int valor) {
    maximo = std::max(minimo, maximo);
    barra_.setRange(minimo, maximo);
    barra_.setValue(std::clamp(valor, minimo, maximo));
}

void ProgressoJanela::avanca() {
    barra_.setValue(std::min(std::max(barra_.value(), barra_.minimum()) + 1, barra_.maximum()));
}

void ProgressoJanela::cede() {
    if (ao_ceder_) ao_ceder_();
    QCoreApplication::processEvents();
}

}  // namespace pezolva::backup
