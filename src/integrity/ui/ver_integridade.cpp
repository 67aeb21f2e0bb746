// The verification window's behaviour: loading the project, the run of
// "Verificar" with its display, and the compact form's run by itself.
#include "integrity/ui/ver_integridade.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <limits>

#include "common/text.h"
#include "common/ui/centra_form.h"
#include "common/ui/rotulo_elidido.h"

namespace pezolva {
namespace {

constexpr int kTwipsPorPixel = 15;
constexpr int kLarguraTwips = 6450;
constexpr int kAlturaCompactaTwips = 1905;
constexpr int kAlturaCompletaTwips = 4875;
// The display is painted at most this often; a click is let in as often.
constexpr qint64 kIntervaloPinturaMs = 100;

enum Separador { kEstado = 0, kRegisto = 1, kErros = 2 };

// A counter as a progress bar takes it: within 0..maximum and within int.
int para_barra(std::int64_t valor, std::int64_t maximo) {
    const std::int64_t limite = std::min<std::int64_t>(maximo, std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp<std::int64_t>(valor, 0, std::max<std::int64_t>(limite, 0)));
}

QString fraccao(std::int64_t n, std::int64_t total) {
    return QStringLiteral("(%1/%2)").arg(n).arg(total);
}

}  // namespace

ver_integridade::ver_integridade(const ProjectoActual& projecto, QWidget* parent)
    : QDialog(parent), projecto_(projecto) {
    constroi();
    relatorio_.ao_registar = [this](const std::string& linha, bool erro) {
        acrescenta(linha, erro);
    };
    estado_.mostra_estado = [this] { mostra_estado(); };
    estado_.a_verificar = false;
    limpa_janela();
    sstab1_->setCurrentIndex(kEstado);
    forma_completa();
}

ver_integridade::~ver_integridade() = default;

void ver_integridade::limpa_janela() {
    text1_->clear();
    text2_->clear();
    relatorio_.limpa();
    estado_.limpa();
    progress_bar1_->setMinimum(0);
    progress_bar2_->setMinimum(0);
    mostra_estado(true);
}

void ver_integridade::carrega_projecto() {
    // The verification never writes: not even the main database is opened
    // for writing.
    bd_principal_ =
        engine::OpenDatabase(projecto_.base_principal(), false, true, projecto_.ligacao());
    integrity::Verificacao verificacao(projecto_.caminho, estado_, relatorio_);
    const auto linhas = verificacao.carrega_bups(bd_principal_);
    if (!linhas) {
        sem_registo();
        return;
    }
    verificacao.conta_objectos(*linhas);
    mostra_estado(true);
    if (!relatorio_.sem_erros()) sstab1_->setCurrentIndex(kRegisto);
}

void ver_integridade::sem_registo() {
    command1_->setEnabled(false);
    sstab1_->setCurrentIndex(kErros);
    estado_.bd_actual = "Não existem Bases de Dados";
    mostra_estado(true);
}

void ver_integridade::forma_compacta() {
    // The banner covers the whole window: what it hides takes no room.
    for (QWidget* w : {static_cast<QWidget*>(sstab1_), static_cast<QWidget*>(command1_),
                       static_cast<QWidget*>(command2_)}) {
        w->hide();
    }
    frame2_->setGeometry(rect());
    frame2_->show();
    frame2_->raise();
    ajusta_altura(kAlturaCompactaTwips);
}

void ver_integridade::forma_completa() {
    frame2_->hide();
    for (QWidget* w : {static_cast<QWidget*>(sstab1_), static_cast<QWidget*>(command1_),
                       static_cast<QWidget*>(command2_)}) {
        w->show();
    }
    ajusta_altura(kAlturaCompletaTwips);
}

bool ver_integridade::compacta() const { return !frame2_->isHidden(); }

void ver_integridade::ajusta_altura(int altura_twips) {
    resize(kLarguraTwips / kTwipsPorPixel, altura_twips / kTwipsPorPixel);
}

void ver_integridade::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    frame2_->setGeometry(rect());
}

void ver_integridade::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centrada_) {
        // Centred once its layout has its size, not before.
        centrada_ = true;
        centra_form(*this);
        // Space starts the run; with nothing to verify, it closes.
        (command1_->isEnabled() ? command1_ : command2_)->setFocus(Qt::ActiveWindowFocusReason);
    }
    // Queued so that the window is painted before a compact run starts.
    QMetaObject::invokeMethod(this, &ver_integridade::activa, Qt::QueuedConnection);
}

void ver_integridade::activa() {
    const bool primeira = !activada_;
    activada_ = true;
    if (!compacta() || !primeira) {
        mostra_estado(true);
        return;
    }
    QCoreApplication::processEvents();
    verifica();
    ha_diferencas_ = !relatorio_.sem_erros();
    accept();
}

void ver_integridade::verifica() {
    if (estado_.a_verificar) return;
    command1_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    text1_->clear();
    text2_->clear();
    integrity::Verificacao verificacao(projecto_.caminho, estado_, relatorio_);
    fim_ = verificacao.executa(bd_principal_);
    QApplication::restoreOverrideCursor();
    command1_->setEnabled(true);
    mostra_estado(true);
    escolhe_separador();
    command2_->setFocus();
}

bool ver_integridade::verificacao_sem_erros() const {
    return fim_ == integrity::FimVerificacao::Concluida && relatorio_.sem_erros();
}

void ver_integridade::reject() {
    if (estado_.a_verificar) {
        if (!compacta()) estado_.a_verificar = false;
        return;
    }
    QDialog::reject();
}

void ver_integridade::escolhe_separador() {
    sstab1_->setCurrentIndex(relatorio_.sem_erros() ? kRegisto : kErros);
}

void ver_integridade::acrescenta(const std::string& linha, bool erro) {
    const QString texto = QString::fromStdString(linhas_lf(linha));
    text1_->appendPlainText(texto);
    if (erro) text2_->appendPlainText(texto);
}

void ver_integridade::mostra_estado(bool forca) {
    if (!forca && desde_pintura_.isValid() && desde_pintura_.elapsed() < kIntervaloPinturaMs)
        return;
    desde_pintura_.start();
    // The compact form shows the banner alone: nothing to paint, but the
    // window stays alive.
    if (!compacta()) pinta();
    if (estado_.a_verificar) QCoreApplication::processEvents();
}

void ver_integridade::pinta() {
    const integrity::EstadoVerificacao& e = estado_;
    progress_bar1_->setMaximum(para_barra(e.tot_geral, e.tot_geral));
    progress_bar2_->setMaximum(para_barra(e.tot_bd, e.tot_bd));
    progress_bar1_->setValue(para_barra(e.n_geral, e.tot_geral));
    progress_bar2_->setValue(para_barra(e.n_bd, e.tot_bd));
    label2_->setText(fraccao(e.n_geral, e.tot_geral));
    label3_->setText(fraccao(e.n_bd, e.tot_bd));
    const std::string* actuais[] = {&e.bd_actual, &e.tabela_actual, &e.campo_actual,
                                    &e.indice_actual, &e.relacao_actual};
    const std::pair<std::int64_t, std::int64_t> contagens[] = {{e.n_bds, e.tot_bds},
                                                               {e.n_tabelas, e.tot_tabelas},
                                                               {e.n_campos, e.tot_campos},
                                                               {e.n_indices, e.tot_indices},
                                                               {e.n_relacoes, e.tot_relacoes}};
    for (int i = 0; i < 5; ++i) {
        label4_[i]->setTextoCompleto(QString::fromStdString(*actuais[i]));
        label5_[i]->setText(fraccao(contagens[i].first, contagens[i].second));
    }
}

}  // namespace pezolva
