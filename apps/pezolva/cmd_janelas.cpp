#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "cli.h"
#include "comandos.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {

int janelas(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zolva"));
    pezolva::mnt m;

    std::string projecto, descr, caminho, nome_bd;
    bool ha_mais = false;
    if (!m.selecciona_projectos(projecto, descr, caminho, nome_bd, ha_mais)) return kFalhou;

    bool aceite = false;
    const QString lida = QInputDialog::getText(
        nullptr, QStringLiteral("Palavra-passe"),
        QStringLiteral("Palavra-passe da base de dados de ") + QString::fromStdString(projecto) +
            QStringLiteral(":"),
        QLineEdit::Password, QString(), &aceite);
    if (!aceite) return kFalhou;
    std::string passwd = lida.toStdString();

    bool vem_de_pezolva = true;
    if (!m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva)) {
        return kFalhou;
    }
    JanelaPrincipal janela(projecto, descr, operacoes_do_lancador(m));
    janela.exec();
    return kSucesso;
}

}  // namespace pezolva::cli
