#pragma once

#include <QDialog>
#include <string>

#include "compaction/aviso_espera.h"
#include "compaction/espera_setup_regra.h"

class QLabel;
class QTimer;

namespace pezolva {

// The small wait window: "EM EXECUÇÃO" / "Por favor, aguarde." and a
// timer.  It has no button and cannot be closed by the user: it ends when
// what it waits for ends.
class espera_setup : public QDialog {
    Q_OBJECT
  public:
    explicit espera_setup(QWidget* parent = nullptr);

    // The re-install role: modal, a tick of `espera` every 1000 ms, closed
    // when the rule says the wait is over.
    void espera_pelo_setup(EsperaSetup& espera);

    // Sets the two texts; a text wider than the window is elided in the
    // middle, whole in its tooltip.
    void define_textos(const QString& texto1, const QString& texto2);

    QLabel& Label1() { return *label1_; }
    QLabel& Label2() { return *label2_; }
    QTimer& Timer1() { return *timer1_; }

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* evento) override;

  private:
    QLabel* label1_;
    QLabel* label2_;
    QTimer* timer1_;
    bool pode_fechar_ = false;
};

// The wait window in its compaction role: timer off, "A COMPACTAR" and the
// database's name, application-modal, kept painted while the tool runs
// without letting any window take input.
class AvisoEsperaJanela : public AvisoEspera {
  public:
    explicit AvisoEsperaJanela(QWidget* parent = nullptr) : parent_(parent) {}
    ~AvisoEsperaJanela() override;
    void mostra(const std::string& titulo, const std::string& texto) override;
    void mantem() override;
    void fecha() override;
    espera_setup* janela() const { return janela_; }

  private:
    QWidget* parent_;
    espera_setup* janela_ = nullptr;
};

}  // namespace pezolva
