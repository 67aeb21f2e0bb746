// An example host of the pezolva component: a small stand-in for the
// management application, built against the installed component.
//
//   anfitriao PASTA NOME BD_PRINCIPAL [DESCRICAO]   start the project given
//   anfitriao                                       choose a registered one
//   anfitriao --versao                              the component it is built with
//
// The password comes from PEZOLVA_PASSWORD, else it is asked for.

#include <pezolva/mnt.h>
#include <pezolva/versao.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "janela_anfitriao.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--versao") == 0) {
        pezolva::mnt componente;  // the shared library loads and starts
        std::printf("anfitriao: pezolva %s\n", PEZOLVA_VERSION);
        return 0;
    }
    if (argc != 1 && argc != 4 && argc != 5) {
        std::fprintf(stderr, "Uso: anfitriao [PASTA NOME BD_PRINCIPAL [DESCRICAO]]\n");
        return 2;
    }
    QApplication app(argc, argv);

    Projecto projecto;
    if (argc == 1) {
        bool escolhido = false;
        try {
            pezolva::mnt escolha;
            bool ha_mais = false;
            escolhido = escolha.selecciona_projectos(projecto.nome, projecto.descr,
                                                     projecto.caminho, projecto.nome_bd, ha_mais);
        } catch (const pezolva::erro& e) {
            std::fprintf(stderr, "anfitriao: %d - %s\n", e.numero(), e.what());
        }
        if (!escolhido) {
            std::fprintf(stderr, "anfitriao: nenhum projecto escolhido\n");
            return 1;
        }
    } else {
        projecto = {argv[1], argv[2], argv[3], argc == 5 ? argv[4] : ""};
    }

    JanelaAnfitriao janela(projecto);
    janela.show();
    // Once the window is up: the start-up, whose questions show over it.
    QTimer::singleShot(0, &janela, [&janela] { janela.arranca(); });
    return app.exec();
}
