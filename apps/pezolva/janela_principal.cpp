#include "janela_principal.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QVBoxLayout>

#include "fronteira.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {

std::vector<Operacao> operacoes_do_lancador(pezolva::mnt& m) {
    // Each entry gains its action when the part behind it is built.
    return {
        {"copias", "Cópias de segurança", [&m] { m.copia_segur_com_fo(); }},
        {"repor", "Repor cópias de segurança", [&m] { m.repor_copias_segur(); }},
        {"integridade", "Verificar a integridade", [&m] { m.integr_com_fo(); }},
        {"compactar", "Compactar todas as bases de dados", [&m] { m.faz_jetcomp_a_tudo(); }},
        {"reinstalar", "Reinstalar o posto", [&m] { m.reinstala_posto(); }},
    };
}

JanelaPrincipal::JanelaPrincipal(const std::string& projecto, const std::string& descricao,
                                 const std::vector<Operacao>& operacoes, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("pezolva"));
    setWindowTitle(QStringLiteral("Manutenção - ") + QString::fromStdString(projecto));
    auto* layout = new QVBoxLayout(this);
    auto* cabecalho = new QLabel(QString::fromStdString(projecto + " - " + descricao), this);
    cabecalho->setObjectName(QStringLiteral("projecto"));
    cabecalho->setTextFormat(Qt::PlainText);
    layout->addWidget(cabecalho);
    for (const Operacao& op : operacoes) {
        QString titulo = QString::fromStdString(op.titulo);
        if (!op.accao) titulo += QStringLiteral(" (ainda não disponível)");
        auto* botao = new QPushButton(titulo, this);
        botao->setObjectName(QString::fromStdString(op.nome));
        botao->setEnabled(static_cast<bool>(op.accao));
        if (op.accao) {
            connect(botao, &QPushButton::clicked, this, [this, accao = op.accao] {
                if (em_execucao_) return;
                // Lowered however the operation ends, an error included.
                const QScopedValueRollback<bool> execucao(em_execucao_, true);
                fronteira(accao);
            });
        }
        layout->addWidget(botao);
    }
    auto* sair = new QPushButton(QStringLiteral("Sair"), this);
    sair->setObjectName(QStringLiteral("sair"));
    connect(sair, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(sair);
    resize(360, sizeHint().height());
    if (const QScreen* ecra = QGuiApplication::primaryScreen()) {
        move(ecra->availableGeometry().center() - rect().center());
    }
}

}  // namespace pezolva::cli
