#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace pezolva {

// A label of plain text named `nome` (the name the window's tests and
// documentation use).
QLabel* etiqueta(const QString& texto, const QString& nome, QWidget* pai);

// A button named `nome` that Enter never presses: in the component's
// windows Enter moves to the next control.
QPushButton* botao(const QString& texto, const QString& nome, QWidget* pai);

}  // namespace pezolva
