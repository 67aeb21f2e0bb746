#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "backup/execucao_copias.h"
#include "backup/logs_execucao.h"
#include "backup/ui/campos_registo.h"
#include "common/services.h"
#include "project/projecto.h"
#include "register/registo_bups.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace pezolva {

// "Cópias de Segurança": the backup register of the current project, edited
// field by field, the list of its databases with the due ones ticked, and
// the backup run over the ticked ones with its progress frame and logs.
//
// The window has two forms: full (tabs, list, fields) and compact (the
// progress frame alone).  Shown in the compact form it starts the run by
// itself, once.  A run cannot be interrupted by closing the window.
class conf_copias : public QDialog {
    Q_OBJECT
  public:
    // The window as loaded: full form, tab "Configuração" alone, both logs
    // empty, "Posto faz copias" from the project.  `projecto` outlives the
    // window; its `faz_copias` follows the tick box.
    conf_copias(Services& servicos, ProjectoActual& projecto, QWidget* parent = nullptr);
    ~conf_copias() override;

    // Opens the project's main database (held while the window lives), fills
    // the list from its register and ticks the due databases.  A missing or
    // empty register is shown in the window, not thrown.  Throws
    // engine::EngineError when the main database cannot be opened.
    void carrega_projecto();

    // The progress frame alone, at 4635 x 2850 twips.
    void forma_compacta();
    // The tabs without the progress frame, at 10995 x 6510 twips; the error
    // log is emptied.
    void forma_completa();

    // Whether `nome` is a copy name of the database `original`.
    bool nome_copia_valido(const std::string& original, const std::string& nome) const;

    // True exactly when the last run that set out to copy ended with an
    // empty error log: false before any run, after a run with errors, and
    // after one whose databases were all missing from the register.  Asked
    // after the window closed, it tells whether the backup succeeded.
    bool execucao_sem_erros() const;

    // The two logs of the runs made in this window.
    const backup::LogsExecucao& logs_execucao() const { return log_; }

  public slots:
    // Every way of closing ends here: refused while a run goes on (it works
    // on this window's register and logs); otherwise the field being edited
    // is saved first, as leaving it would.
    void done(int resultado) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objecto, QEvent* evento) override;

  private:
    // Layout (conf_copias_janela.cpp).
    void constroi();
    void constroi_configuracao(QWidget& pagina);
    void constroi_lista(QWidget& pagina);
    void constroi_campos();
    void constroi_ultima_copia();
    void constroi_botoes(QWidget& pagina);
    void ordena_tabulacao();
    void constroi_estado(QWidget& pagina);
    void constroi_progresso();
    void liga_sinais();
    void ajusta_colunas();

    // List and register position.
    void preenche_lista();
    void marca_devidas();
    void reconstroi_lista();
    void actualiza_lista();
    void item_escolhido(QTreeWidgetItem* item);
    void selecciona_actual();
    void sem_registo();

    // Fields (conf_copias_campos.cpp).
    void mostra_registo();
    void mostra_campo(int indice);
    void sai_do_campo(int indice);
    void depois_de_gravar(int indice);
    void procura_estrutura();
    void procura_destino();
    void marca_clicada(int indice);
    void muda_caminho_destino();
    void muda_faz_copias(bool faz);
    void mostra_falha(const std::string& descricao);
    // Runs an event's handler; an engine or file error it raises is shown
    // (its description, "Erro") instead of escaping into the event loop.
    void protegido(const std::function<void()>& accao);

    // Run (conf_copias_execucao.cpp).
    void executa();
    void termina(backup::FimExecucao fim);
    void arranque_compacto();
    void mostra_logs();
    // The end of a run in the compact form: "Fechar", with the focus, answers Enter.
    void termina_com_fechar();
    void ajusta_tamanho(int largura_twips, int altura_twips);

    Services& servicos_;
    ProjectoActual& projecto_;
    RegistoBups registo_;
    backup::LogsExecucao log_;

    bool em_execucao_ = false;
    std::optional<bool> execucao_sem_erros_;
    bool arranque_pendente_ = true;
    bool a_preencher_ = false;
    bool a_validar_ = false;

    QTabWidget* tabs_ = nullptr;
    std::array<QWidget*, 4> frame1_{};
    QTreeWidget* lista_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    std::array<QLineEdit*, backup::kNumeroCampos> text3_{};
    std::array<QPushButton*, 2> command3_{};
    std::array<QCheckBox*, 2> check1_{};
    QPushButton* mudar_destino_ = nullptr;
    QCheckBox* faz_copias_ = nullptr;
    QPushButton* copiar_ = nullptr;
    QPushButton* fechar_ = nullptr;
    QLabel* label4_0_ = nullptr;
    QPlainTextEdit* text1_ = nullptr;
    QPlainTextEdit* text2_ = nullptr;
    QFrame* frame4_ = nullptr;
    QLabel* label9_ = nullptr;
    QLabel* label10_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label12_ = nullptr;
    QProgressBar* barra_ = nullptr;
    QPushButton* concluir_ = nullptr;
};

}  // namespace pezolva
