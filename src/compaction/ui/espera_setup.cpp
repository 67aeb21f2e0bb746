#include "compaction/ui/espera_setup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ui/centra_form.h"

namespace pezolva {
namespace {

constexpr int kTiqueMs = 1000;
constexpr int kLargura = 320;
constexpr int kMargem = 24;

QLabel* etiqueta(QWidget* pai, const char* nome, const QString& texto, bool destaque) {
    auto* l = new QLabel(texto, pai);
    l->setObjectName(QString::fromLatin1(nome));
    l->setAlignment(Qt::AlignCenter);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    if (destaque) {
        QFont f = l->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        l->setFont(f);
    }
    return l;
}

}  // namespace

espera_setup::espera_setup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("espera_setup"));
    setWindowTitle(QStringLiteral("Por favor, aguarde"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargem, 20, kMargem, 20);
    label1_ = etiqueta(this, "Label1", QStringLiteral("EM EXECUÇÃO"), true);
    label2_ = etiqueta(this, "Label2", QStringLiteral("Por favor, aguarde."), false);
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTiqueMs);
    setFixedWidth(kLargura);
}

void espera_setup::define_textos(const QString& texto1, const QString& texto2) {
    const int largura = kLargura - 2 * kMargem;
    for (auto [label, texto] : {std::pair{label1_, texto1}, std::pair{label2_, texto2}}) {
        const QString visivel = label->fontMetrics().elidedText(texto, Qt::ElideMiddle, largura);
        label->setText(visivel);
        label->setToolTip(visivel == texto ? QString() : texto);
    }
}

void espera_setup::espera_pelo_setup(EsperaSetup& espera) {
    setWindowModality(Qt::ApplicationModal);
    connect(timer1_, &QTimer::timeout, this, [this, &espera] {
        if (!espera.tique()) return;
        timer1_->stop();
        pode_fechar_ = true;
        accept();
    });
    adjustSize();
    centra_form(*this);
    timer1_->start();
    exec();
    timer1_->stop();
    timer1_->disconnect(this);
}

void espera_setup::reject() {
    // Escape does not end a wait that has not ended.
    if (pode_fechar_) QDialog::reject();
}

void espera_setup::closeEvent(QCloseEvent* evento) {
    if (pode_fechar_) {
        QDialog::closeEvent(evento);
    } else {
        evento->ignore();
    }
}

AvisoEsperaJanela::~AvisoEsperaJanela() { fecha(); }

void AvisoEsperaJanela::mostra(const std::string& titulo, const std::string& texto) {
    fecha();
    janela_ = new espera_setup(parent_);
    janela_->Timer1().stop();
    janela_->define_textos(QString::fromStdString(titulo), QString::fromStdString(texto));
    janela_->setWindowModality(Qt::ApplicationModal);
    janela_->adjustSize();
    centra_form(*janela_);
    janela_->show();
    mantem();
}

void AvisoEsperaJanela::mantem() {
    // Paints and keeps the window system answered; clicks and keys wait.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void AvisoEsperaJanela::fecha() {
    if (janela_ == nullptr) return;
    janela_->hide();
    delete janela_;
    janela_ = nullptr;
}

}  // namespace pezolva
