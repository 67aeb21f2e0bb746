#include "project/ui/escolhe_proj.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "common/text.h"
#include "common/ui/centra_form.h"

namespace pezolva {

std::string descricao_projecto(const EntradaProjecto& entrada) {
    return entrada.nome + " - " + entrada.descr + "\r\n" + entrada.caminho + "/" + entrada.nome_bd;
}

escolhe_proj::escolhe_proj(const std::vector<EntradaProjecto>& lista, QWidget* parent)
    : QDialog(parent), lista_(lista) {
    setObjectName(QStringLiteral("escolhe_proj"));
    setWindowTitle(QStringLiteral("Seleccionar Projecto"));

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setWordWrap(true);
    label1_->setMinimumHeight(label1_->fontMetrics().height() * 2 + 8);
    label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    seleccionar_ = new QPushButton(QStringLiteral("Seleccionar"), this);
    seleccionar_->setObjectName(QStringLiteral("Command1(0)"));
    seleccionar_->setDefault(true);
    cancelar_ = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar_->setObjectName(QStringLiteral("Command1(1)"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(seleccionar_);
    buttons->addWidget(cancelar_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list1_);
    layout->addWidget(label1_);
    layout->addLayout(buttons);
    resize(420, 300);  // 6300 x 4500 twips

    for (const EntradaProjecto& e : lista_) {
        list1_->addItem(QString::fromStdString(e.nome + " - " + e.descr));
    }
    connect(list1_, &QListWidget::currentRowChanged, this, &escolhe_proj::mostra_seleccao);
    if (list1_->count() > 0) list1_->setCurrentRow(0);
    mostra_seleccao();
    // Any way of closing other than "Seleccionar" counts as cancelling.
    projecto_escolhido_ = -1;

    connect(seleccionar_, &QPushButton::clicked, this, [this] {
        projecto_escolhido_ = list1_->currentRow();
        accept();
    });
    connect(cancelar_, &QPushButton::clicked, this, [this] {
        projecto_escolhido_ = -1;
        reject();
    });
    connect(list1_, &QListWidget::itemDoubleClicked, seleccionar_, &QPushButton::click);
    seleccionar_->installEventFilter(this);
    cancelar_->installEventFilter(this);
    centra_form(*this);
}

void escolhe_proj::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    seleccionar_->setFocus();
}

bool escolhe_proj::eventFilter(QObject* objecto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress && (objecto == seleccionar_ || objecto == cancelar_)) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const int ultima = list1_->count() - 1;
        const int actual = list1_->currentRow();
        const int pagina =
            std::max(1, list1_->viewport()->height() / std::max(1, list1_->sizeHintForRow(0)));
        std::optional<int> nova;
        switch (tecla->key()) {
            case Qt::Key_Up:
                nova = actual - 1;
                break;
            case Qt::Key_Down:
                nova = actual + 1;
                break;
            case Qt::Key_PageUp:
                nova = actual - pagina;
                break;
            case Qt::Key_PageDown:
                nova = actual + pagina;
                break;
            case Qt::Key_Home:
                nova = 0;
                break;
            case Qt::Key_End:
                nova = ultima;
                break;
            default:
                break;
        }
        if (nova) {
            if (ultima >= 0) list1_->setCurrentRow(std::clamp(*nova, 0, ultima));
            return true;
        }
        // Typing the first letters of a project finds it.
        const QString texto = tecla->text();
        if ((tecla->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier && !texto.isEmpty() &&
            texto.at(0).isLetterOrNumber()) {
            list1_->keyboardSearch(texto);
            return true;
        }
    }
    return QDialog::eventFilter(objecto, evento);
}

void escolhe_proj::mostra_seleccao() {
    const int row = list1_->currentRow();
    if (row < 0 || row >= static_cast<int>(lista_.size())) {
        label1_->clear();
        return;
    }
    label1_->setText(QString::fromStdString(
        linhas_lf(descricao_projecto(lista_[static_cast<std::size_t>(row)]))));
}

int mostra_escolhe_proj(const std::vector<EntradaProjecto>& lista) {
    escolhe_proj janela(lista, QApplication::activeWindow());
    janela.exec();
    return janela.projecto_escolhido();
}

}  // namespace pezolva
