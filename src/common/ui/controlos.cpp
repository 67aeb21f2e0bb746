#include "common/ui/controlos.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

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

void so_separadores_visiveis(QTabWidget& tabs) {
    // Qt's tab bar moves onto hidden tabs with the arrow keys: a hidden tab
    // made current passes the move on to the next visible tab the same way,
    // or, when there is none, puts back the tab that was current.
    auto anterior = std::make_shared<int>(tabs.currentIndex());
    QObject::connect(&tabs, &QTabWidget::currentChanged, &tabs,
                     [t = QPointer<QTabWidget>(&tabs), anterior](int i) {
                         if (i < 0 || t->isTabVisible(i)) {
                             *anterior = i;
                             return;
                         }
                         const int passo = i > *anterior ? 1 : -1;
                         int destino = *anterior;
                         for (int j = i + passo; j >= 0 && j < t->count(); j += passo) {
                             if (t->isTabVisible(j)) {
                                 destino = j;
                                 break;
                             }
                         }
                         if (destino >= 0 && destino < t->count() && t->isTabVisible(destino))
                             t->setCurrentIndex(destino);
                     });
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
