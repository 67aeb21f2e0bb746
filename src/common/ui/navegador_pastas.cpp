#include "common/ui/navegador_pastas.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace pezolva {

NavegadorPastas::NavegadorPastas(const QString& inicio, const QString& prompt, QWidget* parent)
    : QDialog(parent),
      modelo_(new QFileSystemModel(this)),
      arvore_(new QTreeView(this)),
      estado_(new QLabel(this)),
      ok_(nullptr) {
    setObjectName(QStringLiteral("escolhe_pasta"));
    setWindowTitle(inicio);
    auto* layout = new QVBoxLayout(this);
    auto* pergunta = new QLabel(prompt, this);
    pergunta->setTextFormat(Qt::PlainText);
    pergunta->setWordWrap(true);
    layout->addWidget(pergunta);
    estado_->setObjectName(QStringLiteral("estado"));
    estado_->setTextFormat(Qt::PlainText);
    estado_->setMinimumWidth(1);
    layout->addWidget(estado_);

    modelo_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    modelo_->setReadOnly(true);
    modelo_->setRootPath(QDir::rootPath());
    arvore_->setModel(modelo_);
    arvore_->setObjectName(QStringLiteral("pastas"));
    arvore_->setHeaderHidden(true);
    for (int coluna = 1; coluna < modelo_->columnCount(); ++coluna) arvore_->hideColumn(coluna);
    arvore_->setRootIndex(modelo_->index(QDir::rootPath()));
    layout->addWidget(arvore_, 1);

    auto* botoes = new QDialogButtonBox(this);
    ok_ = botoes->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    botoes->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(botoes, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(botoes);

    connect(arvore_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { mostra_seleccao(); });
    const QModelIndex comeco = modelo_->index(inicio);
    if (comeco.isValid()) {
        arvore_->setCurrentIndex(comeco);
        arvore_->scrollTo(comeco, QAbstractItemView::PositionAtCenter);
        arvore_->expand(comeco);
    }
    mostra_seleccao();
    resize(480, 420);
}

QString NavegadorPastas::pasta() const {
    const QModelIndex actual = arvore_->currentIndex();
    return actual.isValid() ? modelo_->filePath(actual) : QString();
}

void NavegadorPastas::mostra_seleccao() {
    const QString caminho = pasta();
    // Long paths keep both ends in sight; the whole one is the tooltip.
    estado_->setText(estado_->fontMetrics().elidedText(caminho, Qt::ElideMiddle, estado_->width()));
    estado_->setToolTip(caminho);
    ok_->setEnabled(!caminho.isEmpty());
}

void NavegadorPastas::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    mostra_seleccao();
}

}  // namespace pezolva
