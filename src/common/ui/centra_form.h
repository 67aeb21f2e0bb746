#pragma once

class QWidget;
class QRect;
class QSize;

namespace pezolva {

// Where a window of geometry `window` goes on a screen of `screen` size:
// centred, or at the edge and shrunk to the screen when it is larger.
QRect posicao_centrada(const QRect& window, const QSize& screen);

// Centres a window on its screen; with `nao_centrar` True does nothing.
void centra_form(QWidget& window, bool nao_centrar = false);

}  // namespace pezolva
