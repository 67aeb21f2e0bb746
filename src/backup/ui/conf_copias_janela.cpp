// The controls of the backup window and where they stand.  Each control's
// objectName is the name the window's tests and documentation use.
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "backup/ui/conf_copias.h"
#include "common/ui/controlos.h"

namespace pezolva {
namespace {

constexpr int kTwipsPorPixel = 15;
constexpr int kLargurasLista[] = {1590, 2325, 1700};  // twips

}  // namespace

void conf_copias::constroi() {
    setObjectName(QStringLiteral("conf_copias"));
    setWindowTitle(QStringLiteral("Cópias de Segurança"));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    const char* titulos[] = {"Configuração", "Estado", "Registo", "Erros"};
    for (int i = 0; i < 4; ++i) {
        frame1_[i] = new QWidget(tabs_);
        frame1_[i]->setObjectName(nome_indice("Frame1", i));
        tabs_->addTab(frame1_[i], QString::fromUtf8(titulos[i]));
    }
    constroi_configuracao(*frame1_[0]);
    constroi_estado(*frame1_[1]);
    text1_ = caixa_de_log(QStringLiteral("Text1"), frame1_[2]);
    pagina_de_log(QStringLiteral("REGISTO"), QStringLiteral("Label6"), text1_, *frame1_[2]);
    text2_ = caixa_de_log(QStringLiteral("Text2"), frame1_[3]);
    pagina_de_log(QStringLiteral("ERROS"), QStringLiteral("Label7"), text2_, *frame1_[3]);
    constroi_progresso();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);
    layout->addWidget(frame4_);

    // Enter moves to the next control wherever the focus is.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
    }
}

void conf_copias::constroi_configuracao(QWidget& pagina) {
    constroi_lista(pagina);
    frame2_ = new QGroupBox(QStringLiteral("Configuração"), &pagina);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame3_ = new QGroupBox(QStringLiteral("Última Cópia"), &pagina);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    constroi_campos();
    constroi_ultima_copia();
    constroi_botoes(pagina);
    ordena_tabulacao();
}

void conf_copias::constroi_lista(QWidget& pagina) {
    lista_ = new QTreeWidget(&pagina);
    lista_->setObjectName(QStringLiteral("ListView1"));
    lista_->setRootIsDecorated(false);
    lista_->setUniformRowHeights(true);
    lista_->setAllColumnsShowFocus(true);
    lista_->setHeaderLabels(
        {QStringLiteral("Nome BD"), QStringLiteral("Destino Cópia"), QStringLiteral("Últ. Data")});
    for (int c = 0; c < 3; ++c) lista_->setColumnWidth(c, kLargurasLista[c] / kTwipsPorPixel);
    // Paths lose their middle, never their end (the file or last folder);
    // the destination takes the width the window gains.
    lista_->setTextElideMode(Qt::ElideMiddle);
    lista_->header()->setStretchLastSection(false);
    lista_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
}

// "Configuração": the register fields that can be edited, with their
// choosers and ticks; the statistics fields are made here too, in
// "Última Cópia", where constroi_ultima_copia lays them out.
void conf_copias::constroi_campos() {
    auto* grelha2 = new QGridLayout(frame2_);
    for (const backup::CampoRegisto& c : backup::campos_registo()) {
        QWidget* pai = c.editavel ? static_cast<QWidget*>(frame2_) : frame3_;
        auto* t = new QLineEdit(pai);
        t->setObjectName(nome_indice("Text3", c.indice));
        t->setReadOnly(!c.editavel);
        if (!c.editavel) {
            // Statistics: selectable with the mouse, skipped by Tab, and on
            // the window's own background so they do not look editable.
            t->setFocusPolicy(Qt::ClickFocus);
            QPalette paleta = t->palette();
            paleta.setColor(QPalette::Base, paleta.color(QPalette::Window));
            t->setPalette(paleta);
        }
        if (*c.dica) t->setToolTip(QString::fromUtf8(c.dica));
        text3_[static_cast<std::size_t>(c.indice)] = t;
        if (c.editavel) {
            t->setMinimumWidth(fontMetrics().horizontalAdvance(QString(12, QLatin1Char('0'))) + 14);
            grelha2->addWidget(
                etiqueta(QString::fromUtf8(c.etiqueta), nome_indice("Label1", c.indice), frame2_),
                c.indice, 0);
            grelha2->addWidget(t, c.indice, 1);
        }
    }
    grelha2->setColumnStretch(1, 1);  // the fields take the width the panel gains
    for (int i = 0; i < 2; ++i) {
        command3_[i] = botao(QStringLiteral("..."), nome_indice("Command3", i), frame2_);
        command3_[i]->setFixedWidth(command3_[i]->fontMetrics().horizontalAdvance("...") + 16);
        grelha2->addWidget(command3_[i], i + 1, 2);
    }
    check1_[0] = new QCheckBox(QStringLiteral("Compacta"), frame2_);
    check1_[1] = new QCheckBox(QStringLiteral("Avisa"), frame2_);
    auto* marcas = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        check1_[i]->setObjectName(nome_indice("Check1", i));
        marcas->addWidget(check1_[i]);
    }
    marcas->addStretch();
    grelha2->addLayout(marcas, 6, 0, 1, 3);
}

void conf_copias::constroi_ultima_copia() {
    auto* grelha3 = new QGridLayout(frame3_);
    // The date and time share a row.
    const QFontMetrics medida = fontMetrics();
    const int folga = 14;  // the text box's frame and margins
    text3_[6]->setMinimumWidth(medida.horizontalAdvance(QStringLiteral("00-00-0000")) + folga);
    text3_[7]->setMinimumWidth(medida.horizontalAdvance(QStringLiteral("00:00:00")) + folga);
    auto* data_hora = new QHBoxLayout;
    data_hora->addWidget(text3_[6]);
    data_hora->addWidget(text3_[7]);
    data_hora->addStretch();
    int linha = 0;
    for (int indice : {6, 8, 9, 10, 11, 12}) {
        const backup::CampoRegisto& c = backup::campos_registo()[static_cast<std::size_t>(indice)];
        grelha3->addWidget(
            etiqueta(QString::fromUtf8(c.etiqueta), nome_indice("Label1", indice), frame3_), linha,
            0);
        if (indice == 6) {
            grelha3->addLayout(data_hora, linha, 1);
        } else {
            grelha3->addWidget(text3_[static_cast<std::size_t>(indice)], linha, 1);
        }
        ++linha;
    }
}

void conf_copias::constroi_botoes(QWidget& pagina) {
    mudar_destino_ =
        botao(QStringLiteral("Mudar Caminho Destino"), QStringLiteral("Command4"), &pagina);
    mudar_destino_->setToolTip(QStringLiteral(
        "Altera o caminho de destino das cópias de todas as bases de dados, para o caminho da BD "
        "seleccionada"));
    faz_copias_ = new QCheckBox(QStringLiteral("Posto faz copias"), &pagina);
    faz_copias_->setObjectName(QStringLiteral("CheckBox1"));
    copiar_ = botao(QStringLiteral("Copiar"), QStringLiteral("Command1"), &pagina);
    fechar_ = botao(QStringLiteral("Fechar"), QStringLiteral("Command2"), &pagina);

    auto* esquerda = new QVBoxLayout;
    esquerda->addWidget(lista_, 1);
    esquerda->addWidget(frame3_);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(copiar_);
    botoes->addWidget(fechar_);
    auto* direita = new QVBoxLayout;
    direita->addWidget(frame2_);
    direita->addWidget(mudar_destino_);
    direita->addWidget(faz_copias_);
    direita->addStretch();
    direita->addLayout(botoes);
    auto* layout = new QHBoxLayout(&pagina);
    // The width the window gains goes to the list and to the fields, whose
    // paths (structure, destination) need it as much.
    layout->addLayout(esquerda, 3);
    layout->addLayout(direita, 2);
}

void conf_copias::ordena_tabulacao() {
    // Enter and Tab go through the register fields in the order they stand.
    QWidget* anterior = lista_;
    // Each "..." follows the field it fills, as it stands beside it.
    for (QWidget* w : {static_cast<QWidget*>(text3_[0]), static_cast<QWidget*>(text3_[1]),
                       static_cast<QWidget*>(command3_[0]), static_cast<QWidget*>(text3_[2]),
                       static_cast<QWidget*>(command3_[1]), static_cast<QWidget*>(text3_[3]),
                       static_cast<QWidget*>(text3_[4]), static_cast<QWidget*>(text3_[5]),
                       static_cast<QWidget*>(check1_[0]), static_cast<QWidget*>(check1_[1]),
                       static_cast<QWidget*>(mudar_destino_), static_cast<QWidget*>(faz_copias_),
                       static_cast<QWidget*>(copiar_), static_cast<QWidget*>(fechar_)}) {
        setTabOrder(anterior, w);
        anterior = w;
    }
}

void conf_copias::constroi_estado(QWidget& pagina) {
    auto* layout = new QVBoxLayout(&pagina);
    layout->addWidget(
        etiqueta(QStringLiteral("Total Geral"), QStringLiteral("Label2(0)"), &pagina));
    auto* total = new QProgressBar(&pagina);
    total->setObjectName(QStringLiteral("ProgressBar1"));
    layout->addWidget(total);
    layout->addWidget(
        etiqueta(QStringLiteral("Total BD Actual"), QStringLiteral("Label2(1)"), &pagina));
    auto* actual = new QProgressBar(&pagina);
    actual->setObjectName(QStringLiteral("ProgressBar2"));
    layout->addWidget(actual);
    const char* textos[] = {"Base de Dados: ", "Tabela: ", "Campo: ", "Índice:", "Ligação: "};
    for (int i = 0; i < 5; ++i) {
        QLabel* l = etiqueta(QString::fromUtf8(textos[i]), nome_indice("Label4", i), &pagina);
        if (i == 0) label4_0_ = l;
        layout->addWidget(l);
    }
    layout->addStretch();
}

void conf_copias::constroi_progresso() {
    frame4_ = new QFrame(this);
    frame4_->setObjectName(QStringLiteral("Frame4"));
    frame4_->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame4_);
    // The compact window is this frame alone, in 4635 x 2850 twips.
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    label9_ = etiqueta(QStringLiteral("A criar cópias de segurança ..."), QStringLiteral("Label9"),
                       frame4_);
    label10_ = etiqueta(QStringLiteral("Por favor, não desligue o computador..."),
                        QStringLiteral("Label10"), frame4_);
    layout->addWidget(label9_);
    layout->addWidget(label10_);
    label11_ = etiqueta(QString(), QStringLiteral("Label11"), frame4_);
    label12_ = etiqueta(QString(), QStringLiteral("Label12"), frame4_);
    for (QLabel* l : {label11_, label12_}) {
        l->setTextFormat(Qt::PlainText);
        l->setMinimumWidth(1);  // a long table name must not widen the compact window
        layout->addWidget(l);
    }
    barra_ = new QProgressBar(frame4_);
    barra_->setObjectName(QStringLiteral("ProgressBar3"));
    barra_->setRange(0, 1);
    barra_->setValue(0);
    layout->addWidget(barra_);
    concluir_ = botao(QStringLiteral("Concluir"), QStringLiteral("Command5"), frame4_);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(concluir_);
    layout->addLayout(botoes);
}

void conf_copias::ajusta_colunas() {
    // The widths in twips were made for a smaller font: names and dates
    // widen their column rather than be cut; a long destination loses its
    // middle, and its tooltip holds it whole.
    // A very long name is elided (its tooltip holds it) rather than let
    // the window jump in width.
    const int maximo_nome = fontMetrics().horizontalAdvance(QString(24, QLatin1Char('n')));
    for (int c : {0, 2}) {
        lista_->resizeColumnToContents(c);
        int largura = std::max(kLargurasLista[c] / kTwipsPorPixel, lista_->columnWidth(c));
        if (c == 0) largura = std::min(largura, maximo_nome);
        lista_->setColumnWidth(c, largura);
    }
    // The list asks for its columns' room (the fields beside it give way),
    // up to what leaves the fields usable in the full window.
    // The names' own width does not count: a long one must not make the
    // window jump.
    int largura = 2 * lista_->frameWidth() + kLargurasLista[0] / kTwipsPorPixel;
    for (int c = 1; c < 3; ++c) largura += lista_->columnWidth(c);
    lista_->setMinimumWidth(std::min(largura, 6600 / kTwipsPorPixel));
}

void conf_copias::ajusta_tamanho(int largura_twips, int altura_twips) {
    layout()->activate();
    resize(largura_twips / kTwipsPorPixel, altura_twips / kTwipsPorPixel);
}

}  // namespace pezolva
