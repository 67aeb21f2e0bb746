#pragma once

#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace pezolva {

// A label of plain text named `nome` (the name the window's tests and
// documentation use).
QLabel* etiqueta(const QString& texto, const QString& nome, QWidget* pai);

// A button named `nome` that Enter never presses: in the component's
// windows Enter moves to the next control.
QPushButton* botao(const QString& texto, const QString& nome, QWidget* pai);

// "Nome(3)": the name of the control at `indice` of a control array.
QString nome_indice(const char* nome, int indice);

// A log: read-only, wrapping anywhere so that a long path never hides the
// cause after it, and Tab leaves it rather than being swallowed.
QPlainTextEdit* caixa_de_log(const QString& nome, QWidget* pai);

// Lays `pagina` out as a log page: its heading `titulo` (a label named
// `nome_etiqueta`) above the log `caixa`.
void pagina_de_log(const QString& titulo, const QString& nome_etiqueta, QPlainTextEdit* caixa,
                   QWidget& pagina);

// Keeps a hidden tab of `tabs` out of reach: a key, the wheel or a
// shortcut that would make one current leaves the current tab as it was.
// The window itself still shows a tab by making it visible first.
void so_separadores_visiveis(QTabWidget& tabs);

}  // namespace pezolva
