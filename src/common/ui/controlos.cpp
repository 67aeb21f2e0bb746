#include "common/ui/controlos.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

QString nome_indice(const char* nome, int indice) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(nome)).arg(indice);
}

QPlainTextEdit* caixa_de_log(const QString& nome, QWidget* pai) {
    auto* t = new QPlainTextEdit(pai);
    t->setObjectName(nome);
    t->setReadOnly(true);
    t->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    t->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    t->setTabChangesFocus(true);
    return t;
}

void pagina_de_log(const QString& titulo, const QString& nome_etiqueta, QPlainTextEdit* caixa,
                   QWidget& pagina) {
    auto* layout = new QVBoxLayout(&pagina);
    layout->addWidget(etiqueta(titulo, nome_etiqueta, &pagina));
    layout->addWidget(caixa);
}

}  // namespace pezolva
