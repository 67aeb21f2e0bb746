#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "arranque.h"
#include "cli.h"
#include "comandos.h"
#include "common/file_system.h"
#include "fronteira.h"
#include "interface/estado.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {

int programa_janelas(pezolva::mnt& m, const PedePalavraPasse& pede,
                     const std::function<void(JanelaPrincipal&)>& mostra) {
    int saida = kFalhou;
    fronteira(servicos().dialogs, [&] {
        for (;;) {
            std::string projecto, descr, caminho, nome_bd;
            bool ha_mais = false;
            if (!m.selecciona_projectos(projecto, descr, caminho, nome_bd, ha_mais)) return;
            const PalavraPasse passwd =
                pede_palavra_passe(join_path(caminho, nome_bd), projecto, pede);
            if (passwd.fim == PalavraPasse::Fim::Cancelada) return;
            if (passwd.fim == PalavraPasse::Fim::Errada) continue;  // the choice again
            if (!arranca_projecto(m, caminho, projecto, nome_bd, descr, passwd.texto, true)) {
                return;
            }
            JanelaPrincipal janela(projecto, descr, operacoes_do_lancador(m));
            mostra(janela);
            saida = kSucesso;
            return;
        }
    });
    return saida;
}

int janelas(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zolva"));
    pezolva::mnt m;
    const auto pede = [](const std::string& pergunta) -> std::optional<std::string> {
        bool aceite = false;
        const QString lida = QInputDialog::getText(
            nullptr, QStringLiteral("Palavra-passe"), QString::fromStdString(pergunta),
            QLineEdit::Password, QString(), &aceite);
        if (!aceite) return std::nullopt;
        return lida.toStdString();
    };
    return programa_janelas(m, pede, [](JanelaPrincipal& janela) { janela.exec(); });
}

}  // namespace pezolva::cli
