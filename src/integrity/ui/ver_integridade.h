#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <array>
#include <optional>
#include <string>

#include "engine/database.h"
#include "integrity/estado_verificacao.h"
#include "integrity/execucao.h"
#include "integrity/relatorio.h"
#include "project/projecto.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace pezolva {

class RotuloElidido;

// "Verificação de Integridade": every database of the current project's
// register verified against its structure database, with the progress, the
// log and the differences in three tabs.
//
// Full form: the user starts the run with "Verificar", stops it with
// "Cancelar" and closes the window with "Cancelar" once idle.  Compact
// form: a banner alone; the run starts by itself when the window is first
// shown, and the window closes at its end.
class ver_integridade : public QDialog {
    Q_OBJECT
  public:
    // The window as loaded: no run, logs empty, counters cleared, tab
    // "Estado".  `projecto` outlives the window.
    explicit ver_integridade(const ProjectoActual& projecto, QWidget* parent = nullptr);
    ~ver_integridade() override;

    // Opens the project's main database read-only (held while the window
    // lives) and loads the register: the count pass fills the totals, or the
    // window tells that there is no register.  Throws engine::EngineError
    // when the main database cannot be opened.
    void carrega_projecto();

    // The banner alone, 1905 twips high.
    void forma_compacta();
    // The tabs and buttons, 4875 twips high.
    void forma_completa();
    bool compacta() const;

    // What the window does when activated: on its first showing only, in the
    // compact form, runs the verification and closes; otherwise refreshes
    // the display.  A message box closing over the window never starts a
    // second run.
    void activa();

    // The run of "Verificar".
    void verifica();

    // False only after a compact run that left the errors text empty: a
    // window closed before its run tells nothing good.
    bool ha_diferencas() const { return ha_diferencas_; }
    // True exactly when a run took place in this window, reached the end
    // of the register and left the errors text empty; false before any run
    // and after a cancelled or failed one.
    bool verificacao_sem_erros() const;

    const integrity::Relatorio& relatorio() const { return relatorio_; }
    const integrity::EstadoVerificacao& estado() const { return estado_; }

  public slots:
    // "Cancelar", Escape and the close button: close when idle; during a
    // run of the full form, ask it to stop at its next check.  The compact
    // run cannot be stopped: its verdict decides whether the host starts.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Layout (ver_integridade_janela.cpp).
    void constroi();
    void constroi_estado(QWidget& pagina);
    void constroi_compacta();

    void limpa_janela();
    void sem_registo();
    void acrescenta(const std::string& linha, bool erro);
    // Paints the state at most a few times a second (always with
    // `forca`), and lets clicks in as often.
    void mostra_estado(bool forca = false);
    void pinta();
    void escolhe_separador();
    void ajusta_altura(int altura_twips);

    const ProjectoActual& projecto_;
    engine::Database bd_principal_;
    integrity::EstadoVerificacao estado_;
    integrity::Relatorio relatorio_;
    std::optional<integrity::FimVerificacao> fim_;
    bool ha_diferencas_ = true;
    bool activada_ = false;
    bool centrada_ = false;
    QElapsedTimer desde_pintura_;

    QTabWidget* sstab1_ = nullptr;
    std::array<QWidget*, 3> frame1_{};
    QProgressBar* progress_bar1_ = nullptr;
    QProgressBar* progress_bar2_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    std::array<RotuloElidido*, 5> label4_{};
    std::array<QLabel*, 5> label5_{};
    QPlainTextEdit* text1_ = nullptr;
    QPlainTextEdit* text2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QFrame* frame2_ = nullptr;
};

}  // namespace pezolva
