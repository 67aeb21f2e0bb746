#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "common/dialogs.h"

class QLabel;
class QPushButton;

namespace pezolva {

// The small question window that the component fills at run time: a
// caption, a question with its icon, three buttons of the caller's
// captions and "Cancelar".  `resposta()` is the index of the button
// pressed, -1 while open and when closed without a choice.
class pergunta : public QDialog {
    Q_OBJECT
  public:
    explicit pergunta(QWidget* parent = nullptr);

    void prepara(const Choice& choice);
    int resposta() const { return resposta_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int resposta_ = -1;
    QLabel* label1_;
    QLabel* image1_;
    std::vector<QPushButton*> command1_;
    QPushButton* command2_;
};

}  // namespace pezolva
