#pragma once

#include <QDialog>
#include <vector>

#include "project/projectos.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace pezolva {

// The text under the list for a project: "nome - descr", a line break,
// then the main database's path.
std::string descricao_projecto(const EntradaProjecto& entrada);

// "Seleccionar Projecto": the choice among the workstation's projects.
// `projecto_escolhido()` is the chosen line after "Seleccionar", and -1
// after "Cancelar" or any other way of closing the window.
class escolhe_proj : public QDialog {
    Q_OBJECT
  public:
    explicit escolhe_proj(const std::vector<EntradaProjecto>& lista, QWidget* parent = nullptr);
    int projecto_escolhido() const { return projecto_escolhido_; }

  protected:
    void showEvent(QShowEvent* event) override;
    // The keys that move through a list (arrows, Page keys, Home, End,
    // first letters) move through the projects wherever the focus is: on
    // the buttons they would otherwise move the focus to "Cancelar".
    bool eventFilter(QObject* objecto, QEvent* evento) override;

  private:
    void mostra_seleccao();

    const std::vector<EntradaProjecto>& lista_;
    int projecto_escolhido_ = -1;
    QListWidget* list1_;
    QLabel* label1_;
    QPushButton* seleccionar_;
    QPushButton* cancelar_;
};

// Shows the window modally and returns the chosen index, or -1.
int mostra_escolhe_proj(const std::vector<EntradaProjecto>& lista);

}  // namespace pezolva
