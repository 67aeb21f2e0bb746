#include "common/ui/controlos.h"

#include <QLabel>
#include <QPushButton>

namespace pezolva {

QLabel* etiqueta(const QString& texto, const QString& nome, QWidget* pai) {
    auto* l = new QLabel(texto, pai);
    l->setObjectName(nome);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QPushButton* botao(const QString& texto, const QString& nome, QWidget* pai) {
    auto* b = new QPushButton(texto, pai);
    b->setObjectName(nome);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace pezolva
