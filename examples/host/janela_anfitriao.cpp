#include "janela_anfitriao.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>
#include <cstdlib>

namespace {

// The password comes from PEZOLVA_PASSWORD when set (as the launcher takes
// it), else from the user; it stays in memory only.
bool palavra_passe(QWidget* pai, const Projecto& p, std::string& passwd) {
    if (const char* ambiente = std::getenv("PEZOLVA_PASSWORD")) {
        passwd = ambiente;
        return true;
    }
    bool ok = false;
    const QString dada = QInputDialog::getText(
        pai, "Palavra-passe",
        QString("Palavra-passe do projecto %1:").arg(QString::fromStdString(p.nome)),
        QLineEdit::Password, {}, &ok);
    passwd = dada.toStdString();
    return ok;
}

}  // namespace

JanelaAnfitriao::JanelaAnfitriao(Projecto projecto)
    : projecto_(std::move(projecto)), titulo_(new QLabel), estado_(new QLabel) {
    setWindowTitle("Aplicação de gestão (exemplo)");
    auto* caixa = new QVBoxLayout(this);
    titulo_->setWordWrap(true);
    estado_->setWordWrap(true);
    caixa->addWidget(titulo_);
    caixa->addWidget(estado_);

    const auto botao = [&](const char* texto, std::function<void()> operacao, bool do_projecto) {
        auto* b = new QPushButton(texto);
        connect(b, &QPushButton::clicked, this, [this, operacao] { corre(operacao); });
        caixa->addWidget(b);
        if (do_projecto) do_projecto_.push_back(b);
    };
    // The component's windows.  Each works on the current project.
    botao(
        "Cópias de segurança...", [this] { componente_.copia_segur_com_fo(); }, true);
    botao(
        "Repor cópias de segurança...", [this] { componente_.repor_copias_segur(); }, true);
    botao(
        "Verificar a integridade...", [this] { componente_.integr_com_fo(); }, true);
    botao(
        "Compactar as bases de dados...", [this] { componente_.faz_jetcomp_a_tudo(); }, true);
    botao(
        "Validar o registo de cópias",
        [this] {
            componente_.valida_bups_bd();
            mostra_estado("O registo de cópias foi validado.");
        },
        true);
    botao(
        "Outro projecto...", [this] { escolhe_outro(); }, false);
    auto* sair = new QPushButton("Sair");
    connect(sair, &QPushButton::clicked, qApp, &QApplication::quit);
    caixa->addWidget(sair);
    setMinimumWidth(420);
}

void JanelaAnfitriao::arranca() {
    titulo_->setText(QString("<b>%1</b> — %2<br>%3/%4")
                         .arg(QString::fromStdString(projecto_.nome),
                              QString::fromStdString(projecto_.descr),
                              QString::fromStdString(projecto_.caminho),
                              QString::fromStdString(projecto_.nome_bd)));
    std::string passwd;
    if (!palavra_passe(this, projecto_, passwd)) {
        mostra_estado("Sem palavra-passe, o projecto não foi aberto.");
        for (QPushButton* b : do_projecto_) b->setEnabled(false);
        return;
    }
    bool pronto = false;
    corre([&] {
        bool vem_de_pezolva = false;
        pronto = componente_.actualiza_path(projecto_.caminho, projecto_.nome, projecto_.nome_bd,
                                            projecto_.descr, passwd, vem_de_pezolva);
    });
    for (QPushButton* b : do_projecto_) b->setEnabled(pronto);
    if (!pronto) {
        mostra_estado("O projecto não ficou pronto a usar.");
        return;
    }
    mostra_estado("Projecto pronto.");
    corre([this] { componente_.ver_existen_ficheiros_a_copiar(); });
}

void JanelaAnfitriao::escolhe_outro() {
    Projecto p;
    bool ha_mais = false;
    if (!componente_.selecciona_projectos(p.nome, p.descr, p.caminho, p.nome_bd, ha_mais)) return;
    projecto_ = p;
    arranca();
}

void JanelaAnfitriao::corre(const std::function<void()>& operacao) {
    try {
        operacao();
    } catch (const pezolva::erro& e) {
        QMessageBox::critical(this, windowTitle(),
                              QString("%1 - %2").arg(e.numero()).arg(e.what()));
    }
}

void JanelaAnfitriao::mostra_estado(const QString& estado) { estado_->setText(estado); }
