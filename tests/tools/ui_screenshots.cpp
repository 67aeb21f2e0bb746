// Renders each window of the component with sample data and saves it as a
// PNG, so that a person can look at it.  Run by hand:
//   xvfb-run -a build/tests/tools/ui_screenshots /tmp/shots
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "common/ui/pergunta.h"
#include "interface/ui/escolhe_proj.h"

namespace {

void guarda(QWidget& janela, const QString& pasta, const QString& nome) {
    janela.show();
    QApplication::processEvents();
    const QString ficheiro = QDir(pasta).filePath(nome + ".png");
    janela.grab().save(ficheiro);
    std::printf("%s\n", ficheiro.toLocal8Bit().constData());
    janela.close();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString pasta = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QDir().mkpath(pasta);

    const std::vector<pezolva::EntradaProjecto> lista = {
        {"obras", "Obras Públicas da Câmara", "brasol.mdb", "/dados/obras"},
        {"bombeiros", "Corporação de Bombeiros Voluntários", "brasol.mdb", "/dados/bombeiros"},
        {"arquivo", "Arquivo Histórico", "quesim.mdb", "/srv/arquivo"},
    };
    pezolva::escolhe_proj escolhe(lista);
    guarda(escolhe, pasta, "escolhe_proj");

    pezolva::pergunta pergunta;
    pergunta.prepara({"Cópias de Segurança",
                      "É aconselhável fazer cópias de segurança de alguns ficheiros.",
                      pezolva::Icon::Question,
                      {"&Fazer", "&Não Fazer", "&Configurar"}});
    guarda(pergunta, pasta, "pergunta");
    return 0;
}
