#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

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
// operation of the component.
class JanelaPrincipal : public QDialog {
    Q_OBJECT
public:
    JanelaPrincipal(const std::string& projecto, const std::string& descricao,
                    const std::vector<Operacao>& operacoes, QWidget* parent = nullptr);
};

// The operations in the order the launcher offers them, run on `m`.
std::vector<Operacao> operacoes_do_lancador(pezolva::mnt& m);

}  // namespace pezolva::cli
