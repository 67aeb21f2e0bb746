#include "common/ui/rotulo_elidido.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace pezolva {

RotuloElidido::RotuloElidido(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void RotuloElidido::setTextoCompleto(const QString& texto) {
    if (texto == completo_ && !text().isNull()) return;
    completo_ = texto;
    elide();
}

QSize RotuloElidido::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 10, QLabel::sizeHint().height()};
}

QSize RotuloElidido::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void RotuloElidido::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void RotuloElidido::elide() {
    const QString visivel =
        fontMetrics().elidedText(completo_, Qt::ElideMiddle, contentsRect().width());
    setText(visivel);
    setToolTip(visivel == completo_ ? QString() : completo_);
}

}  // namespace pezolva
