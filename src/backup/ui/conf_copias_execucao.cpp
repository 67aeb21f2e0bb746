// The backup run of the window: the ticked databases copied one after the
// other, with the progress frame, and the two forms the window ends in.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <csignal>
#include <memory>

#include "backup/copia_base_dados.h"
#include "backup/ui/conf_copias.h"
#include "backup/ui/progresso_janela.h"
#include "common/bandeira.h"
#include "common/text.h"
#include "common/ui/centra_form.h"
#include "engine/error.h"
#include "engine/interruption.h"

namespace pezolva {
namespace {

constexpr int kTabErros = 3;

// The hourglass for as long as the run lasts, however it ends.
class CursorEspera {
  public:
    CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorEspera() { QApplication::restoreOverrideCursor(); }
    CursorEspera(const CursorEspera&) = delete;
    CursorEspera& operator=(const CursorEspera&) = delete;
};

void mostra_texto(QPlainTextEdit& caixa, const std::string& texto) {
    const QString novo = QString::fromStdString(linhas_lf(texto));
    if (caixa.toPlainText() == novo) return;
    caixa.setPlainText(novo);
    caixa.verticalScrollBar()->setValue(caixa.verticalScrollBar()->maximum());
}

}  // namespace

void conf_copias::forma_compacta() {
    tabs_->hide();
    frame4_->show();
    ajusta_tamanho(4635, 2850);
    centra_form(*this);
}

void conf_copias::forma_completa() {
    log_.limpa_erros();
    mostra_logs();
    frame4_->hide();
    tabs_->show();
    ajusta_tamanho(10995, 6510);
    centra_form(*this);
}

void conf_copias::arranque_compacto() {
    barra_->setRange(0, 1);
    barra_->setValue(0);
    concluir_->setEnabled(false);
    QCoreApplication::processEvents();
    executa();
}

void conf_copias::executa() {
    if (em_execucao_) return;
    backup::FimExecucao fim = backup::FimExecucao::ComErros;
    {
        // Both lowered again however the run ends, an error included: a
        // window left "running" could never be closed.
        const Bandeira execucao(em_execucao_);
        const std::unique_ptr<QTabWidget, void (*)(QTabWidget*)> separadores(
            tabs_, [](QTabWidget* t) { t->setEnabled(true); });
        copiar_->setEnabled(false);
        concluir_->setEnabled(false);
        // The run moves the register: no list click or edit may move it meanwhile.
        tabs_->setEnabled(false);

        std::vector<std::string> escolhidas;
        for (int i = 0; i < lista_->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = lista_->topLevelItem(i);
            if (item->checkState(0) == Qt::Checked) {
                escolhidas.push_back(item->data(0, Qt::UserRole).toString().toStdString());
            }
        }
        backup::ProgressoJanela progresso(*frame4_, *label11_, *label12_, *barra_,
                                          [this] { mostra_logs(); });
        backup::CopiaBaseDados copia(servicos_, projecto_, log_, progresso);
        const CursorEspera espera;
        try {
            fim = backup::executa_copias(escolhidas, registo_.recordset(), copia, log_,
                                         servicos_.dialogs, [this, &progresso] {
                                             if (!frame4_->isVisibleTo(this)) forma_compacta();
                                             progresso.cede();
                                         });
        } catch (const engine::EngineError& e) {
            // The register itself failed (the engine reports each database's
            // own failures): the run ends as one with errors.
            log_.regista_erro(e.descricao());
        } catch (const FileError& e) {
            log_.regista_erro(e.what());
        }
    }
    if (fim == backup::FimExecucao::Interrompida) {
        // The copy in progress was cleaned up; the signal now does what the
        // host asked of it (by default, it ends the program).
        std::raise(engine::interruption_requested());
    }
    termina(fim);
}

void conf_copias::termina(backup::FimExecucao fim) {
    using backup::FimExecucao;
    mostra_logs();
    if (fim != FimExecucao::NadaSeleccionado) {
        execucao_sem_erros_ = fim == FimExecucao::Concluida;
        actualiza_lista();
    }
    switch (fim) {
        case FimExecucao::NadaSeleccionado:
            copiar_->setEnabled(registo_.carregado());
            // The compact window has no "Copiar": it says that nothing was
            // copied, and it can be closed from the keyboard.
            if (frame4_->isVisibleTo(this)) {
                label9_->setText(QStringLiteral("Nenhuma base de dados foi copiada."));
                label10_->clear();
                label11_->clear();
                label12_->clear();
                termina_com_fechar();
            }
            return;
        case FimExecucao::Concluida:
            label11_->clear();
            barra_->setValue(barra_->maximum());
            label12_->setText(QStringLiteral("concluido"));
            termina_com_fechar();
            return;
        case FimExecucao::NenhumaIniciada:
        case FimExecucao::ComErros:
        case FimExecucao::Interrompida:
            // Also when no database could be started: the window shows why
            // instead of a progress frame that nothing will ever close.
            frame4_->hide();
            tabs_->show();
            ajusta_tamanho(10995, 6510);
            centra_form(*this);
            for (int i = 0; i < tabs_->count(); ++i) {
                tabs_->setTabVisible(i, i == 0 || i == kTabErros);
            }
            tabs_->setCurrentIndex(kTabErros);
            text2_->setFocus();
            raise();
            activateWindow();
            copiar_->setEnabled(registo_.carregado());
            return;
    }
}

void conf_copias::termina_com_fechar() {
    concluir_->setText(QStringLiteral("Fechar"));
    concluir_->setEnabled(true);
    concluir_->setDefault(true);
    concluir_->setFocus();
}

void conf_copias::mostra_logs() {
    mostra_texto(*text1_, log_.mensagens());
    mostra_texto(*text2_, log_.erros());
}

}  // namespace pezolva
