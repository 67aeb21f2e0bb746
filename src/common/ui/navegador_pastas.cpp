#include "common/ui/navegador_pastas.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/ui/colunas_ficheiros.h"
#include "common/ui/traducao_qt.h"

namespace pezolva {

NavegadorPastas::NavegadorPastas(const QString& inicio, const QString& prompt, QWidget* parent)
    : QDialog(parent),
      modelo_(new QFileSystemModel(this)),
      colunas_(new ColunasEmPortugues(this)),
      arvore_(new QTreeView(this)),
      estado_(new QLabel(this)),
      ok_(nullptr) {
    instala_traducao_qt();
    setObjectName(QStringLiteral("escolhe_pasta"));
    setLocale(ColunasEmPortugues::portugues());
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

    poe_arvore(*layout, inicio);
    poe_botoes(*layout);
    segue_inicio(inicio);
    mostra_seleccao();
    resize(480, 420);
}

// The folders' tree, loaded from the starting folder (so that the browser
// opens on it rather than on the root), showing the names only.
void NavegadorPastas::poe_arvore(QVBoxLayout& layout, const QString& inicio) {
    modelo_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    modelo_->setReadOnly(true);
    const QString a_carregar =
        QDir(inicio.trimmed()).exists() ? inicio.trimmed() : QDir::rootPath();
    modelo_->setRootPath(a_carregar);
    colunas_->setSourceModel(modelo_);
    arvore_->setModel(colunas_);
    arvore_->setObjectName(QStringLiteral("pastas"));
    arvore_->setHeaderHidden(true);
    for (int coluna = 1; coluna < modelo_->columnCount(); ++coluna) arvore_->hideColumn(coluna);
    arvore_->setRootIndex(colunas_->mapFromSource(modelo_->index(QDir::rootPath())));
    layout.addWidget(arvore_, 1);
}

void NavegadorPastas::poe_botoes(QVBoxLayout& layout) {
    auto* botoes = new QDialogButtonBox(this);
    ok_ = botoes->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    botoes->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(botoes, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout.addWidget(botoes);
}

// Selects the starting folder and keeps it in sight while the folders load.
void NavegadorPastas::segue_inicio(const QString& inicio) {
    connect(arvore_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { mostra_seleccao(); });
    const QModelIndex comeco = colunas_->mapFromSource(modelo_->index(inicio.trimmed()));
    if (comeco.isValid()) {
        arvore_->setCurrentIndex(comeco);
        arvore_->expand(comeco);
        arvore_->scrollTo(comeco, QAbstractItemView::PositionAtCenter);
        // The folders load in the background, in no set order: the
        // starting one is brought into sight as each arrives, until the user
        // takes over.
        connect(modelo_, &QFileSystemModel::directoryLoaded, this, [this] {
            if (!seguir_inicio_) return;
            QTimer::singleShot(0, this, [this] {
                if (seguir_inicio_)
                    arvore_->scrollTo(arvore_->currentIndex(), QAbstractItemView::PositionAtCenter);
            });
        });
        for (QObject* o :
             {static_cast<QObject*>(arvore_), static_cast<QObject*>(arvore_->viewport())}) {
            o->installEventFilter(this);
        }
    }
}

QString NavegadorPastas::pasta() const {
    const QModelIndex actual = arvore_->currentIndex();
    return actual.isValid() ? modelo_->filePath(colunas_->mapToSource(actual)) : QString();
}

void NavegadorPastas::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // In sight from the first paint, with the size the window has now.
    if (seguir_inicio_ && arvore_->currentIndex().isValid())
        arvore_->scrollTo(arvore_->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void NavegadorPastas::mostra_seleccao() {
    const QString caminho = pasta();
    // Long paths keep both ends in sight; the whole one is the tooltip.
    estado_->setText(estado_->fontMetrics().elidedText(caminho, Qt::ElideMiddle, estado_->width()));
    estado_->setToolTip(caminho);
    ok_->setEnabled(!caminho.isEmpty());
}

bool NavegadorPastas::eventFilter(QObject* objecto, QEvent* evento) {
    switch (evento->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            seguir_inicio_ = false;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(objecto, evento);
}

void NavegadorPastas::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    mostra_seleccao();
}

}  // namespace pezolva
