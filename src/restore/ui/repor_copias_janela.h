#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "common/services.h"
#include "project/projecto.h"
#include "restore/repor_copias.h"

class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace pezolva {

// "Repor Cópias de Segurança": the folders searched (with buttons to add,
// remove and search again), the copies found in seven columns sorted by
// heading, and "Repor" / "Cancelar".  The work is restore::ReporCopias;
// this class shows it.  A search lets the window repaint between folders;
// closing the window then stops the search at its next folder and the
// window closes once it has stopped.
class repor_copias : public QDialog {
    Q_OBJECT
  public:
    repor_copias(Services& servicos, const ProjectoActual& projecto, QWidget* parent = nullptr);

    restore::ReporCopias& logica() { return logica_; }
    // Whether a search is under way.
    bool a_procurar() const { return a_procurar_; }

    // The copies' list as shown: the row of each copy, in order.
    QTreeWidget& lista() { return *lista_copias_; }

  public slots:
    void done(int resultado) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objecto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void constroi();
    QWidget* constroi_pastas();
    QWidget* constroi_lista();
    void constroi_painel();
    void procura();
    void mostra_pastas();
    void lembra_escolhida();
    void mostra_copias();
    int cabecalho_da_tecla(int tecla) const;
    void repoe();
    std::optional<std::size_t> seleccionada() const;
    void coloca_painel();

    restore::ReporCopias logica_;
    bool a_procurar_ = false;
    bool fechar_ = false;
    int resultado_ = QDialog::Rejected;
    // The copies listed (folder and name, in the list's order) and the one
    // to choose again after the list is rebuilt.
    std::vector<std::string> mostradas_;
    std::string escolhida_;

    QFrame* frame1_ = nullptr;
    QTreeWidget* pastas_ = nullptr;
    QTreeWidget* lista_copias_ = nullptr;
    QFrame* painel_ = nullptr;
    QLabel* pasta_procurada_ = nullptr;
    QProgressBar* barra_ = nullptr;
    QLabel* aviso_ = nullptr;
};

}  // namespace pezolva
