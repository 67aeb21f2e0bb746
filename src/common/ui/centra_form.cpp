#include "common/ui/centra_form.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace pezolva {

QRect posicao_centrada(const QRect& window, const QSize& screen) {
    QRect r = window;
    if (r.width() >= screen.width()) {
        r.moveLeft(0);
        r.setWidth(screen.width());
    } else {
        r.moveLeft((screen.width() - r.width()) / 2);
    }
    if (r.height() >= screen.height()) {
        r.moveTop(0);
        r.setHeight(screen.height());
    } else {
        r.moveTop((screen.height() - r.height()) / 2);
    }
    return r;
}

void centra_form(QWidget& window, bool nao_centrar) {
    if (nao_centrar) return;
    QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    const QRect r = posicao_centrada(QRect(QPoint(0, 0), window.size()), available.size());
    window.resize(r.size());
    window.move(available.topLeft() + r.topLeft());
}

}  // namespace pezolva
