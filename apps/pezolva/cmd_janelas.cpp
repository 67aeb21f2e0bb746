#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "arranque.h"
#include "cli.h"
#include "comandos.h"
#include "fronteira.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {

int programa_janelas(pezolva::mnt& m, const PedePalavraPasse& pede,
                     const std::function<void(JanelaPrincipal&)>& mostra, const Avisa& avisa) {
    int saida = kFalhou;
    fronteira([&] {
        for (;;) {
            operacoes::Projecto p;
            bool ha_mais = false;
            if (!m.selecciona_projectos(p.nome, p.descr, p.caminho, p.nome_bd, ha_mais)) return;
            const PalavraPasse passwd = pede_palavra_passe(p, pede);
            const bool ha_escolha = operacoes::lista_projectos().size() > 1;
            // Cancelled: back to the choice, unless there is none to make.
            if (passwd.fim == PalavraPasse::Fim::Cancelada) {
                if (ha_escolha) continue;
                return;
            }
            if (passwd.fim == PalavraPasse::Fim::Errada) {
                if (avisa) {
                    avisa("A palavra-passe da base de dados de " + p.nome +
                          " foi recusada três vezes." +
                          (ha_escolha ? " Escolha o projecto de novo." : ""));
                }
                continue;  // the choice again
            }
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
    const auto avisa = [](const std::string& texto) {
        QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Atenção"),
                                 QString::fromStdString(texto));
    };
    return programa_janelas(
        m, pede, [](JanelaPrincipal& janela) { janela.exec(); }, avisa);
}

}  // namespace pezolva::cli
