#include "janela_principal.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "fronteira.h"
#include "pezolva/mnt.h"
#include "pezolva/offsite.h"

namespace pezolva::cli {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QLabel* rotulo(const QString& texto, const char* nome, QWidget* pai) {
    auto* l = new QLabel(texto, pai);
    l->setObjectName(QLatin1String(nome));
    l->setTextFormat(Qt::PlainText);
    return l;
}

}  // namespace

std::vector<Operacao> operacoes_do_lancador(pezolva::mnt& m) {
    return {
        {"copias", "Cópias de segurança",
         "Configurar as cópias e fazer cópias datadas das bases de dados.",
         [&m] { m.copia_segur_com_fo(); }},
        {"repor", "Repor cópias de segurança",
         "Substituir uma base de dados por uma das suas cópias.", [&m] { m.repor_copias_segur(); }},
        {"integridade", "Verificar a integridade",
         "Comparar cada base de dados com a sua estrutura.", [&m] { m.integr_com_fo(); }},
        {"compactar", "Compactar todas as bases de dados",
         "Compactar e reparar cada base de dados; a anterior fica datada.",
         [&m] { m.faz_jetcomp_a_tudo(); }},
        {"reinstalar", "Reinstalar o posto",
         "Executar o programa de instalação do posto e esperar por ele.",
         [&m] { m.reinstala_posto(); }},
    };
}

JanelaPrincipal::JanelaPrincipal(const operacoes::Projecto& projecto,
                                 const std::vector<Operacao>& operacoes, EstadoCopias estado_copias,
                                 QWidget* parent)
    : QDialog(parent), estado_copias_(std::move(estado_copias)) {
    setObjectName(QStringLiteral("pezolva"));
    setWindowTitle(QStringLiteral("Manutenção - ") + q(projecto.nome));
    auto* layout = new QVBoxLayout(this);
    poe_cabecalho(*layout, projecto);
    // The height the window gains goes to the register's table.
    layout->addWidget(cria_caixa_copias(), 1);
    layout->addWidget(cria_caixa_operacoes(operacoes));

    auto* sair = new QPushButton(QStringLiteral("Sair"), this);
    sair->setObjectName(QStringLiteral("sair"));
    connect(sair, &QPushButton::clicked, this, &QDialog::accept);
    auto* fundo = new QHBoxLayout;
    fundo->addStretch(1);
    fundo->addWidget(sair);
    layout->addLayout(fundo);

    mostra_estado_copias();
    resize(620, sizeHint().height());
}

void JanelaPrincipal::poe_cabecalho(QVBoxLayout& layout, const operacoes::Projecto& projecto) {
    // The project: who it is and where it lives.  Long texts are elided in
    // the middle, whole in their tooltips, so the window keeps its width.
    auto* cabecalho =
        rotulo(q(projecto.nome + (projecto.descr.empty() ? "" : " - " + projecto.descr)),
               "projecto", this);
    QFont negrito = cabecalho->font();
    negrito.setBold(true);
    negrito.setPointSizeF(negrito.pointSizeF() * 1.2);
    cabecalho->setFont(negrito);
    layout.addWidget(cabecalho);
    const std::string principal = projecto.caminho + "/" + projecto.nome_bd;
    auto* onde = rotulo(QString(), "base_principal", this);
    layout.addWidget(onde);
    elididos_ = {{cabecalho, cabecalho->text()},
                 {onde, QStringLiteral("Base de dados principal: ") + q(principal)}};
    for (auto& [l, texto] : elididos_) {
        l->setToolTip(texto);
        l->setMinimumWidth(1);  // a long name or path does not widen the window
    }
}

QGroupBox* JanelaPrincipal::cria_caixa_copias() {
    auto* caixa = new QGroupBox(QStringLiteral("Cópias de segurança"), this);
    auto* coluna = new QVBoxLayout(caixa);
    copias_ = new QTreeWidget(caixa);
    copias_->setObjectName(QStringLiteral("estado_copias"));
    copias_->setRootIsDecorated(false);
    copias_->setSelectionMode(QAbstractItemView::NoSelection);
    copias_->setFocusPolicy(Qt::NoFocus);
    copias_->setHeaderLabels({QStringLiteral("Base de dados"), QStringLiteral("Última cópia"),
                              QStringLiteral("Estado")});
    copias_->setTextElideMode(Qt::ElideMiddle);
    copias_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    copias_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    copias_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    copias_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    copias_->header()->setStretchLastSection(false);
    coluna->addWidget(copias_);
    sem_registo_ = rotulo(QString(), "sem_registo", caixa);
    sem_registo_->setWordWrap(true);
    sem_registo_->hide();
    coluna->addWidget(sem_registo_);
    fora_ = rotulo(QString(), "copias_fora", caixa);
    fora_->setWordWrap(true);
    fora_->hide();
    coluna->addWidget(fora_);
    return caixa;
}

QGroupBox* JanelaPrincipal::cria_caixa_operacoes(const std::vector<Operacao>& operacoes) {
    auto* caixa = new QGroupBox(QStringLiteral("Operações"), this);
    auto* grelha = new QGridLayout(caixa);
    int linha = 0;
    for (const Operacao& op : operacoes) {
        auto* botao = new QPushButton(q(op.titulo), caixa);
        botao->setObjectName(q(op.nome));
        connect(botao, &QPushButton::clicked, this, [this, accao = op.accao] {
            if (em_execucao_ || !accao) return;
            {
                // Lowered however the operation ends, an error included.
                const QScopedValueRollback<bool> execucao(em_execucao_, true);
                fronteira(accao);
            }
            mostra_estado_copias();
        });
        grelha->addWidget(botao, linha, 0);
        auto* explicacao = rotulo(q(op.explicacao), "", caixa);
        explicacao->setObjectName(q(op.nome + "_explicacao"));
        explicacao->setBuddy(botao);
        grelha->addWidget(explicacao, linha, 1);
        ++linha;
    }
    grelha->setColumnStretch(1, 1);
    return caixa;
}

// "Fora do local (REPOSITÓRIO): última cópia …; última verificação …".
static QString texto_fora(const operacoes::RepositorioFora& r) {
    const std::string verificacao =
        r.ultima_verificacao.empty()
            ? "nunca"
            : r.ultima_verificacao +
                  (r.resultado_verificacao.empty() ? "" : " (" + r.resultado_verificacao + ")");
    return q("Fora do local (" + r.repositorio + "): última cópia " +
             (r.ultimo_envio.empty() ? std::string("nunca") : r.ultimo_envio) +
             "; última verificação " + verificacao + ".");
}

// The off-site line, when the project has a repository.  Only the
// project's file is read: the window never waits on the network.
void JanelaPrincipal::mostra_estado_fora() {
    std::optional<operacoes::RepositorioFora> r;
    try {
        r = operacoes::repositorio_fora();
    } catch (const std::exception&) {
    }
    fora_->setVisible(r.has_value());
    if (!r) return;
    fora_->setText(texto_fora(*r));
    fora_->setToolTip(fora_->text());
}

void JanelaPrincipal::mostra_estado_copias() {
    copias_->clear();
    if (!estado_copias_) {
        copias_->hide();
        return;
    }
    mostra_estado_fora();
    std::vector<operacoes::BaseRegistada> registo;
    const bool lido = fronteira([&] { registo = estado_copias_(); });
    copias_->setVisible(lido && !registo.empty());
    sem_registo_->setVisible(!lido || registo.empty());
    if (!lido) {
        sem_registo_->setText(
            QStringLiteral("Não foi possível ler o registo de cópias de segurança."));
        return;
    }
    if (registo.empty())
        sem_registo_->setText(QStringLiteral("O registo de cópias de segurança está vazio."));
    for (const operacoes::BaseRegistada& b : registo) {
        auto* item = new QTreeWidgetItem(
            copias_, {q(b.nome_bd), b.ultima.empty() ? QStringLiteral("nunca") : q(b.ultima),
                      b.devida ? QStringLiteral("em atraso") : QStringLiteral("em dia")});
        item->setToolTip(0, q(b.nome_bd));
        if (b.devida) {
            QFont f = item->font(2);
            f.setBold(true);
            item->setFont(2, f);
        }
    }
    // Every row in sight at the window's first size; more when it grows.
    copias_->setMinimumHeight(copias_->header()->sizeHint().height() +
                              copias_->sizeHintForRow(0) * static_cast<int>(registo.size()) +
                              2 * copias_->frameWidth() + 2);
}

void JanelaPrincipal::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void JanelaPrincipal::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    for (auto& [l, texto] : elididos_)
        l->setText(l->fontMetrics().elidedText(texto, Qt::ElideMiddle, l->width()));
}

void JanelaPrincipal::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred once its layout has its final size, not before.
    if (centrada_) return;
    centrada_ = true;
    if (const QScreen* ecra = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = ecra->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

QIcon icone_pezolva() {
    QPixmap imagem(64, 64);
    imagem.fill(Qt::transparent);
    QPainter p(&imagem);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor escuro(0x2f, 0x5d, 0x8a), claro(0x8f, 0xb8, 0xe0), verde(0x2e, 0x7d, 0x32);
    QLinearGradient corpo(8, 0, 48, 0);
    corpo.setColorAt(0, escuro);
    corpo.setColorAt(0.5, QColor(0x4f, 0x86, 0xbd));
    corpo.setColorAt(1, escuro);
    QPainterPath cilindro;
    cilindro.moveTo(8, 14);
    cilindro.lineTo(8, 46);
    cilindro.arcTo(QRectF(8, 39, 40, 14), 180, 180);
    cilindro.lineTo(48, 14);
    cilindro.closeSubpath();
    p.fillPath(cilindro, corpo);
    p.setPen(QPen(escuro, 1.5));
    p.setBrush(claro);
    p.drawEllipse(QRectF(8, 7, 40, 14));
    p.setPen(QPen(verde, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(47, 47), 14, 14);
    p.setPen(QPen(verde, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(38.5, 38.5, 17, 17), 30 * 16, 280 * 16);
    // The arrow's head, where the arc begins, pointing the way it turns.
    p.setPen(Qt::NoPen);
    p.setBrush(verde);
    p.drawPolygon(QPolygonF({QPointF(57.0, 47.5), QPointF(58.4, 40.4), QPointF(50.8, 44.0)}));
    p.end();
    return QIcon(imagem);
}

}  // namespace pezolva::cli
