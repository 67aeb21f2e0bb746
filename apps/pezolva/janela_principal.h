#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "arranque.h"
#include "pezolva/operacoes.h"

class QGroupBox;
class QLabel;
class QTreeWidget;
class QVBoxLayout;

namespace pezolva {
class mnt;
}

namespace pezolva::cli {

// One maintenance operation offered by the launcher's window.
struct Operacao {
    std::string nome;        // objectName of its button
    std::string titulo;      // caption
    std::string explicacao;  // one line on what it does
    std::function<void()> accao;
};

// The state of the project's copies, read again after each operation;
// throws when the register cannot be read.
using EstadoCopias = std::function<std::vector<operacoes::BaseRegistada>()>;

// The launcher's main window: the current project (name, description,
// folder, main database), the state of its copies (the last copy of each
// registered database, due or not) and one button per operation, each with
// a line saying what it does.  An operation's error is shown at the
// boundary ("número - descrição", "Erro") and the window stays; while one
// runs, another click on a button does nothing.
class JanelaPrincipal : public QDialog {
    Q_OBJECT
  public:
    JanelaPrincipal(const operacoes::Projecto& projecto, const std::vector<Operacao>& operacoes,
                    EstadoCopias estado_copias = {}, QWidget* parent = nullptr);

    // Reads the copies' state again and shows it.
    void mostra_estado_copias();

  protected:
    // Escape closes a dialog; the main window stays (it ends by "Sair" or
    // its close button).
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The window's parts, top to bottom.
    void poe_cabecalho(QVBoxLayout& layout, const operacoes::Projecto& projecto);
    QGroupBox* cria_caixa_copias();
    QGroupBox* cria_caixa_operacoes(const std::vector<Operacao>& operacoes);
    void mostra_estado_fora();

    EstadoCopias estado_copias_;
    // Labels shown elided in the middle, with their whole texts.
    std::vector<std::pair<QLabel*, QString>> elididos_;
    QTreeWidget* copias_ = nullptr;
    QLabel* sem_registo_ = nullptr;
    QLabel* fora_ = nullptr;  // the off-site repository's last copy and check
    bool em_execucao_ = false;
    bool centrada_ = false;
};

// The operations in the order the launcher offers them, run on `m`.
std::vector<Operacao> operacoes_do_lancador(pezolva::mnt& m);

// The launcher's icon, drawn: a database with the round arrow of its backup.
QIcon icone_pezolva();

// Tells the user something (a message box in the window program).
using Avisa = std::function<void(const std::string& texto)>;

// The window program once its QApplication exists: the project choice, its
// password (three tries, then the choice again, after `avisa` said why),
// the start, and the main window, which `mostra` shows.  Cancelling the
// password goes back to the choice when there is one to make (more than
// one project), else ends.  No error leaves it: one that nothing else
// handled is shown at the boundary.  Returns the exit status: 0 when the
// main window was shown.
int programa_janelas(pezolva::mnt& m, const PedePalavraPasse& pede,
                     const std::function<void(JanelaPrincipal&)>& mostra, const Avisa& avisa = {});

}  // namespace pezolva::cli
