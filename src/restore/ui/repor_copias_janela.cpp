#include "restore/ui/repor_copias_janela.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/file_system.h"
#include "common/ui/centra_form.h"
#include "common/ui/controlos.h"

namespace pezolva {
namespace {

struct Coluna {
    const char* cabecalho;
    int largura;  // pixels; 0 hides the column, whose text still sorts and restores
    Qt::Alignment alinhamento;
};

// The seven columns of the copies' list, in their order.
constexpr Coluna kColunas[restore::kColunas] = {
    {"Nome", 0, Qt::AlignLeft},           {"BD", 110, Qt::AlignLeft},
    {"Data Cópia", 125, Qt::AlignLeft},   {"Data Formatada", 0, Qt::AlignLeft},
    {"Caminho", 200, Qt::AlignLeft},      {"Tam. (Kbytes)", 95, Qt::AlignRight},
    {"Tam. (Kbytes)", 0, Qt::AlignRight},
};

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

repor_copias::repor_copias(Services& servicos, const ProjectoActual& projecto, QWidget* parent)
    : QDialog(parent), logica_(servicos, projecto, QLocale().groupSeparator().toStdString()) {
    setObjectName(QStringLiteral("repor_copias"));
    setWindowTitle(QStringLiteral("Repor Cópias de Segurança"));
    constroi();
    resize(780, 460);
    centra_form(*this);
}

void repor_copias::constroi() {
    auto* layout = new QVBoxLayout(this);
    frame1_ = new QFrame(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* listas = new QHBoxLayout(frame1_);
    listas->setContentsMargins(0, 0, 0, 0);
    listas->addWidget(constroi_pastas(), 1);
    listas->addWidget(constroi_lista(), 3);
    layout->addWidget(frame1_, 1);
    // The message area: why the repository's copies are not listed.
    aviso_ = etiqueta(QString(), QStringLiteral("Label13"), this);
    aviso_->setWordWrap(false);
    aviso_->setMinimumWidth(1);
    layout->addWidget(aviso_);

    auto* fundo = new QHBoxLayout;
    fundo->addStretch(1);
    auto* repor = botao(QStringLiteral("Repor"), QStringLiteral("Command1"), this);
    auto* cancelar = botao(QStringLiteral("Cancelar"), QStringLiteral("Command2"), this);
    fundo->addWidget(repor);
    fundo->addWidget(cancelar);
    layout->addLayout(fundo);
    connect(repor, &QPushButton::clicked, this, [this] { repoe(); });
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);

    constroi_painel();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
    }
}

// "Pastas": the folders searched, and the buttons that change them.
QWidget* repor_copias::constroi_pastas() {
    auto* frame2 = new QGroupBox(QStringLiteral("Pastas"), frame1_);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* coluna_pastas = new QVBoxLayout(frame2);
    // A one-column tree rather than a plain list: it elides long folders
    // in the middle instead of hiding their ends behind a scroll bar.
    pastas_ = new QTreeWidget(frame2);
    pastas_->setObjectName(QStringLiteral("List1"));
    pastas_->setHeaderHidden(true);
    pastas_->setRootIsDecorated(false);
    pastas_->setColumnCount(1);
    pastas_->setSelectionMode(QAbstractItemView::SingleSelection);
    pastas_->setTextElideMode(Qt::ElideMiddle);
    coluna_pastas->addWidget(pastas_, 1);
    // The control array Command3: add, remove, search again.
    auto* adicionar = botao(QStringLiteral("Adicionar Pasta"), nome_indice("Command3", 0), frame2);
    auto* remover = botao(QStringLiteral("Remover  Pasta"), nome_indice("Command3", 1), frame2);
    auto* actualizar =
        botao(QStringLiteral("Actualizar ficheiros"), nome_indice("Command3", 2), frame2);
    for (QPushButton* b : {adicionar, remover, actualizar}) coluna_pastas->addWidget(b);

    connect(adicionar, &QPushButton::clicked, this, [this] {
        if (logica_.adiciona_pasta()) procura();
        mostra_pastas();
    });
    connect(remover, &QPushButton::clicked, this, [this] {
        const QList<QTreeWidgetItem*> escolhida = pastas_->selectedItems();
        const int linha =
            escolhida.isEmpty() ? -1 : pastas_->indexOfTopLevelItem(escolhida.front());
        if (logica_.remove_pasta(
                linha < 0 ? std::nullopt
                          : std::optional<std::size_t>(static_cast<std::size_t>(linha)))) {
            mostra_pastas();
            procura();
        }
    });
    connect(actualizar, &QPushButton::clicked, this, [this] { procura(); });
    return frame2;
}

// The copies found, in the seven columns; a heading's click sorts.
QWidget* repor_copias::constroi_lista() {
    lista_copias_ = new QTreeWidget(frame1_);
    lista_copias_->setObjectName(QStringLiteral("ListView1"));
    lista_copias_->setRootIsDecorated(false);
    lista_copias_->setSelectionMode(QAbstractItemView::SingleSelection);
    lista_copias_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_copias_->setTextElideMode(Qt::ElideMiddle);
    lista_copias_->setUniformRowHeights(true);
    lista_copias_->setColumnCount(restore::kColunas);
    QStringList cabecalhos;
    for (const Coluna& c : kColunas) cabecalhos << QString::fromUtf8(c.cabecalho);
    lista_copias_->setHeaderLabels(cabecalhos);
    QHeaderView* cabecalho = lista_copias_->header();
    cabecalho->setSectionsClickable(true);
    cabecalho->setStretchLastSection(false);
    for (int i = 0; i < restore::kColunas; ++i) {
        lista_copias_->setColumnHidden(i, kColunas[i].largura == 0);
        lista_copias_->setColumnWidth(i, kColunas[i].largura);
        lista_copias_->headerItem()->setTextAlignment(i,
                                                      kColunas[i].alinhamento | Qt::AlignVCenter);
    }
    // The folder takes the width the window gains.
    cabecalho->setSectionResizeMode(4, QHeaderView::Stretch);
    connect(cabecalho, &QHeaderView::sectionClicked, this, [this](int coluna) {
        lembra_escolhida();
        logica_.clique_cabecalho(coluna);
        mostra_copias();
    });
    // The headings are reached by Tab too: the arrows sort by the visible
    // column beside the current one, Space turns the order round, as
    // clicks on the headings do.
    cabecalho->setFocusPolicy(Qt::TabFocus);
    cabecalho->setToolTip(
        QStringLiteral("Ordenar: setas para mudar de coluna, Espaço para inverter a ordem"));
    cabecalho->setAccessibleName(QStringLiteral("Cabeçalhos das cópias"));
    return lista_copias_;
}

// A key on the headings: the heading it would click, or -1.
int repor_copias::cabecalho_da_tecla(int tecla) const {
    const int actual = logica_.coluna_ordem();
    if (tecla == Qt::Key_Space) return actual;
    const int passo = tecla == Qt::Key_Right ? 1 : tecla == Qt::Key_Left ? -1 : 0;
    if (passo == 0) return -1;
    for (int c = actual + passo; c >= 0 && c < restore::kColunas; c += passo) {
        if (!lista_copias_->isColumnHidden(c)) return c;
    }
    return -1;
}

// The progress panel, over the middle of the window while a search runs.
void repor_copias::constroi_painel() {
    painel_ = new QFrame(this);
    painel_->setObjectName(QStringLiteral("Frame4"));
    painel_->setFrameShape(QFrame::Box);
    painel_->setAutoFillBackground(true);
    auto* coluna_painel = new QVBoxLayout(painel_);
    pasta_procurada_ = etiqueta(QString(), QStringLiteral("Label11"), painel_);
    pasta_procurada_->setMinimumWidth(1);
    barra_ = new QProgressBar(painel_);
    barra_->setObjectName(QStringLiteral("ProgressBar3"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             etiqueta(QStringLiteral("A procurar ficheiros..."), QStringLiteral("Label9"), painel_),
             etiqueta(QStringLiteral("Por favor, não desligue o computador..."),
                      QStringLiteral("Label10"), painel_),
             pasta_procurada_, etiqueta(QString(), QStringLiteral("Label12"), painel_), barra_}) {
        coluna_painel->addWidget(w);
    }
    painel_->hide();
}

void repor_copias::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Prepared and searched once, when first shown: the window is painted
    // first, so the panel has something to stand over.
    if (logica_.primeira_activacao()) {
        QTimer::singleShot(0, this, [this] {
            logica_.prepara_lista();
            mostra_pastas();
            procura();
        });
    }
}

void repor_copias::procura() {
    if (a_procurar_) return;
    a_procurar_ = true;
    // The list is disabled while it searches, and Qt then gives the focus
    // to the next control it can: "Repor".  It goes back where it was.
    const QPointer<QWidget> foco = QApplication::focusWidget();
    lembra_escolhida();
    restore::PainelProcura painel;
    painel.inicio = [this](int maximo) {
        lista_copias_->clear();
        pasta_procurada_->clear();
        barra_->setRange(0, std::max(maximo, 1));
        barra_->setValue(0);
        frame1_->setEnabled(false);
        coloca_painel();
        painel_->show();
        painel_->raise();
    };
    painel.pasta = [this](const std::string& pasta, int valor) {
        const QString texto = q(pasta);
        pasta_procurada_->setText(pasta_procurada_->fontMetrics().elidedText(
            texto, Qt::ElideMiddle, pasta_procurada_->width()));
        pasta_procurada_->setToolTip(texto);
        barra_->setValue(std::min(valor, barra_->maximum()));
        QApplication::processEvents();
        return !fechar_;
    };
    painel.fim = [this] {
        painel_->hide();
        frame1_->setEnabled(true);
    };
    logica_.procura_copias(painel);
    a_procurar_ = false;
    aviso_->setText(q(logica_.aviso()));
    aviso_->setToolTip(q(logica_.aviso()));
    mostra_copias();
    if (fechar_) {
        QDialog::done(resultado_);
        return;
    }
    if (foco && foco->isEnabled() && foco->isVisible() && foco->window() == this) {
        foco->setFocus(Qt::OtherFocusReason);
    } else if (QApplication::focusWidget() == findChild<QPushButton*>(QStringLiteral("Command1"))) {
        lista_copias_->setFocus(Qt::OtherFocusReason);
    }
}

void repor_copias::mostra_pastas() {
    pastas_->clear();
    for (const std::string& p : logica_.pastas()) {
        auto* linha = new QTreeWidgetItem(pastas_, QStringList{q(p)});
        linha->setToolTip(0, q(p));
    }
    // The repository is a folder entry of its own, after the folders: it
    // is listed, not removed ("Remover  Pasta" ignores it).
    if (const auto& fonte = logica_.fonte()) {
        auto* linha = new QTreeWidgetItem(pastas_, QStringList{q(fonte->nome)});
        linha->setToolTip(0, q(fonte->nome));
    }
}

void repor_copias::lembra_escolhida() {
    const std::optional<std::size_t> linha = seleccionada();
    escolhida_ = linha && *linha < mostradas_.size() ? mostradas_[*linha] : std::string();
}

// The copies in the list; the one the user had chosen (lembra_escolhida)
// chosen again while it is still listed, wherever the order puts it.
void repor_copias::mostra_copias() {
    lista_copias_->clear();
    mostradas_.clear();
    for (const restore::CopiaEncontrada& c : logica_.copias()) {
        const std::string colunas[restore::kColunas] = {
            c.nome_fich, c.bd, c.data, c.carimbo, c.caminho, c.tamanho, c.tamanho_formatado};
        auto* linha = new QTreeWidgetItem(lista_copias_);
        for (int i = 0; i < restore::kColunas; ++i) {
            linha->setText(i, q(colunas[i]));
            linha->setTextAlignment(i, kColunas[i].alinhamento | Qt::AlignVCenter);
        }
        linha->setToolTip(4, q(c.caminho));
        mostradas_.push_back(join_path(c.caminho, c.nome_fich));
        if (!escolhida_.empty() && mostradas_.back() == escolhida_) {
            lista_copias_->setCurrentItem(linha);
            lista_copias_->scrollToItem(linha);
        }
    }
    lista_copias_->header()->setSortIndicatorShown(true);
    lista_copias_->header()->setSortIndicator(logica_.coluna_ordem(), logica_.sentido_ordem() == 1
                                                                          ? Qt::DescendingOrder
                                                                          : Qt::AscendingOrder);
}

std::optional<std::size_t> repor_copias::seleccionada() const {
    const QList<QTreeWidgetItem*> escolhidas = lista_copias_->selectedItems();
    if (escolhidas.isEmpty()) return std::nullopt;
    const int linha = lista_copias_->indexOfTopLevelItem(escolhidas.front());
    if (linha < 0) return std::nullopt;
    return static_cast<std::size_t>(linha);
}

void repor_copias::repoe() {
    // During a search the list is empty: the user is told to select.
    logica_.repor(a_procurar_ ? std::nullopt : seleccionada());
}

void repor_copias::done(int resultado) {
    if (a_procurar_) {
        // Nothing is taken down under a running search: it stops at its
        // next folder and the window closes then.
        fechar_ = true;
        resultado_ = resultado;
        return;
    }
    QDialog::done(resultado);
}

bool repor_copias::eventFilter(QObject* objecto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        // No button answers Escape: the window closes by "Cancelar".
        if (tecla == Qt::Key_Escape) return true;
        if (objecto == lista_copias_->header()) {
            const int coluna = cabecalho_da_tecla(tecla);
            if (coluna >= 0) emit lista_copias_->header()->sectionClicked(coluna);
            return tecla == Qt::Key_Space || tecla == Qt::Key_Left || tecla == Qt::Key_Right;
        }
    }
    return QDialog::eventFilter(objecto, evento);
}

void repor_copias::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    coloca_painel();
}

void repor_copias::coloca_painel() {
    const QSize tamanho(std::min(width() - 40, 460), painel_->sizeHint().height());
    painel_->setGeometry(
        QRect(QPoint((width() - tamanho.width()) / 2, (height() - tamanho.height()) / 2), tamanho));
}

}  // namespace pezolva
