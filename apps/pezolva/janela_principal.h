#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "arranque.h"

namespace pezolva {
class mnt;
}

namespace pezolva::cli {

// One maintenance operation offered by the launcher's window.  An operation
// whose part is not built yet has no action: it is shown disabled and
// marked so.
struct Operacao {
    std::string nome;    // objectName of its button
    std::string titulo;  // caption
    std::function<void()> accao;
};

// The launcher's main window: the current project and one button per
// operation of the component.  An operation's error is shown at the
// boundary ("número - descrição", "Erro") and the window stays; while one
// runs, another click on a button does nothing.
class JanelaPrincipal : public QDialog {
    Q_OBJECT
public:
    JanelaPrincipal(const std::string& projecto, const std::string& descricao,
                    const std::vector<Operacao>& operacoes, QWidget* parent = nullptr);

private:
    bool em_execucao_ = false;
};

// The operations in the order the launcher offers them, run on `m`.
std::vector<Operacao> operacoes_do_lancador(pezolva::mnt& m);

// The window program once its QApplication exists: the project choice, its
// password (three tries, then the choice again), the start, and the main
// window, which `mostra` shows.  No error leaves it: one that nothing else
// handled is shown at the boundary.  Returns the exit status: 0 when the
// main window was shown.
int programa_janelas(pezolva::mnt& m, const PedePalavraPasse& pede,
                     const std::function<void(JanelaPrincipal&)>& mostra);

}  // namespace pezolva::cli
