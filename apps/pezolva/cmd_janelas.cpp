#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "arranque.h"
#include "cli.h"
#include "comandos.h"
#include "fronteira.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

int programa_janelas(pezolva::mnt& m, const PedePalavraPasse& pede,
                     const std::function<void(JanelaPrincipal&)>& mostra) {
    int saida = kFalhou;
    fronteira([&] {
        for (;;) {
            operacoes::Projecto p;
            bool ha_mais = false;
            if (!m.selecciona_projectos(p.nome, p.descr, p.caminho, p.nome_bd, ha_mais)) return;
            const PalavraPasse passwd = pede_palavra_passe(p, pede);
            if (passwd.fim == PalavraPasse::Fim::Cancelada) return;
            if (passwd.fim == PalavraPasse::Fim::Errada) continue;  // the choice again
            if (operacoes::arranca_projecto(p, passwd.texto, true) != operacoes::Arranque::Pronto) {
                return;
            }
            JanelaPrincipal janela(p, operacoes_do_lancador(m),
                                   [] { return operacoes::registo_copias(); });
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
    QApplication::setWindowIcon(icone_pezolva());
    pezolva::mnt m;
    const auto pede = [](const std::string& pergunta) -> std::optional<std::string> {
        bool aceite = false;
        const QString lida = QInputDialog::getText(nullptr, QStringLiteral("Palavra-passe"),
                                                   QString::fromStdString(pergunta),
                                                   QLineEdit::Password, QString(), &aceite);
        if (!aceite) return std::nullopt;
        return lida.toStdString();
    };
    return programa_janelas(m, pede, [](JanelaPrincipal& janela) { janela.exec(); });
}

}  // namespace pezolva::cli
