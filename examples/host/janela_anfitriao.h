#pragma once

// The example host's one window: the project it works on, and a button for
// each of the component's windows.  At start-up it does what a management
// application does: makes its project current (mnt::actualiza_path), then
// the backup reminder (mnt::ver_existen_ficheiros_a_copiar).

#include <pezolva/mnt.h>

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

struct Projecto {
    std::string caminho;
    std::string nome;
    std::string nome_bd;
    std::string descr;
};

class JanelaAnfitriao : public QWidget {
    Q_OBJECT

  public:
    explicit JanelaAnfitriao(Projecto projecto);

    // actualiza_path with the project and its password, then the reminder.
    void arranca();

  private:
    void escolhe_outro();
    // Runs one of the component's operations; an error it passes back is
    // shown as "número - descrição", as the management application does.
    void corre(const std::function<void()>& operacao);
    void mostra_estado(const QString& estado);

    pezolva::mnt componente_;
    Projecto projecto_;
    QLabel* titulo_;
    QLabel* estado_;
    std::vector<QPushButton*> do_projecto_;
};
