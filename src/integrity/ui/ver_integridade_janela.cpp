// The controls of the verification window and where they stand.  Each
// control's objectName is the name the window's tests use.
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/ui/controlos.h"
#include "common/ui/rotulo_elidido.h"
#include "integrity/ui/ver_integridade.h"

namespace pezolva {

void ver_integridade::constroi() {
    setObjectName(QStringLiteral("ver_integridade"));
    setWindowTitle(QStringLiteral("Verificação de Integridade"));

    sstab1_ = new QTabWidget(this);
    sstab1_->setObjectName(QStringLiteral("SSTab1"));
    const char* titulos[] = {"Estado", "Registo", "Erros"};
    for (int i = 0; i < 3; ++i) {
        frame1_[i] = new QWidget(sstab1_);
        frame1_[i]->setObjectName(nome_indice("Frame1", i));
        sstab1_->addTab(frame1_[i], QString::fromUtf8(titulos[i]));
    }
    constroi_estado(*frame1_[0]);
    text1_ = caixa_de_log(QStringLiteral("Text1"), frame1_[1]);
    pagina_de_log(QStringLiteral("REGISTO"), nome_indice("Label7", 1), text1_, *frame1_[1]);
    text2_ = caixa_de_log(QStringLiteral("Text2"), frame1_[2]);
    pagina_de_log(QStringLiteral("ERROS"), nome_indice("Label7", 0), text2_, *frame1_[2]);

    command1_ = new QPushButton(QStringLiteral("Verificar"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QStringLiteral("Cancelar"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(command1_);
    botoes->addWidget(command2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sstab1_);
    layout->addLayout(botoes);
    setTabOrder(sstab1_, command1_);
    setTabOrder(command1_, command2_);

    connect(command1_, &QPushButton::clicked, this, &ver_integridade::verifica);
    connect(command2_, &QPushButton::clicked, this, &ver_integridade::reject);
    constroi_compacta();
}

void ver_integridade::constroi_estado(QWidget& pagina) {
    auto* grelha = new QGridLayout(&pagina);
    grelha->setColumnStretch(1, 1);
    grelha->setVerticalSpacing(8);
    progress_bar1_ = new QProgressBar(&pagina);
    progress_bar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_bar2_ = new QProgressBar(&pagina);
    progress_bar2_->setObjectName(QStringLiteral("ProgressBar2"));
    for (QProgressBar* barra : {progress_bar1_, progress_bar2_}) barra->setTextVisible(false);
    label2_ = etiqueta(QStringLiteral("(0/1)"), QStringLiteral("Label2"), &pagina);
    label3_ = etiqueta(QStringLiteral("(0/1)"), QStringLiteral("Label3"), &pagina);
    grelha->addWidget(etiqueta(QStringLiteral("Total Geral"), nome_indice("Label1", 0), &pagina), 0,
                      0);
    grelha->addWidget(progress_bar1_, 0, 1);
    grelha->addWidget(label2_, 0, 2);
    grelha->addWidget(
        etiqueta(QStringLiteral("Total BD Actual"), nome_indice("Label1", 1), &pagina), 1, 0);
    grelha->addWidget(progress_bar2_, 1, 1);
    grelha->addWidget(label3_, 1, 2);

    const char* legendas[] = {"Base de Dados: ", "Tabela: ", "Campo: ", "Índice:", "Ligação: "};
    for (int i = 0; i < 5; ++i) {
        auto* linha = new QLabel(&pagina);  // the row's background, without a caption
        linha->setObjectName(nome_indice("Label6", i));
        grelha->addWidget(linha, 2 + i, 0, 1, 3);
        grelha->addWidget(
            etiqueta(QString::fromUtf8(legendas[i]), nome_indice("Label1", 2 + i), &pagina), 2 + i,
            0);
        label4_[i] = new RotuloElidido(&pagina);
        label4_[i]->setObjectName(nome_indice("Label4", i));
        grelha->addWidget(label4_[i], 2 + i, 1);
        label5_[i] = etiqueta(QStringLiteral("(0/0)"), nome_indice("Label5", i), &pagina);
        label5_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grelha->addWidget(label5_[i], 2 + i, 2);
    }
    grelha->setRowStretch(7, 1);
}

void ver_integridade::constroi_compacta() {
    frame2_ = new QFrame(this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setAutoFillBackground(true);
    frame2_->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame2_);
    QLabel* banner = etiqueta(QStringLiteral("A VERIFICAR AS BASES DE DADOS"),
                              QStringLiteral("Label8"), frame2_);
    QFont letra = banner->font();
    letra.setBold(true);
    letra.setPointSizeF(letra.pointSizeF() * 1.6);
    banner->setFont(letra);
    banner->setAlignment(Qt::AlignCenter);
    banner->setWordWrap(true);
    layout->addWidget(banner);
    frame2_->hide();
}

}  // namespace pezolva
