#include "backup/ui/conf_copias.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "common/bandeira.h"
#include "common/text.h"
#include "common/ui/centra_form.h"
#include "common/ui/controlos.h"
#include "engine/error.h"
#include "register/copias_da_base.h"

namespace pezolva {

conf_copias::conf_copias(Services& servicos, ProjectoActual& projecto, QWidget* parent)
    : QDialog(parent), servicos_(servicos), projecto_(projecto) {
    constroi();
    liga_sinais();
    faz_copias_->setChecked(projecto_.faz_copias);
    for (int i = 1; i < 4; ++i) tabs_->setTabVisible(i, false);
    tabs_->setCurrentIndex(0);
    so_separadores_visiveis(*tabs_);
    frame4_->hide();
    ajusta_tamanho(10995, 6510);
    centra_form(*this);
}

conf_copias::~conf_copias() = default;

void conf_copias::liga_sinais() {
    connect(lista_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { protegido([&] { item_escolhido(item); }); });
    connect(command3_[0], &QPushButton::clicked, this,
            [this] { protegido([&] { procura_estrutura(); }); });
    connect(command3_[1], &QPushButton::clicked, this,
            [this] { protegido([&] { procura_destino(); }); });
    for (int i = 0; i < 2; ++i) {
        // `clicked` comes only from the user, never from showing a row.
        connect(check1_[i], &QCheckBox::clicked, this,
                [this, i] { protegido([&] { marca_clicada(i); }); });
    }
    connect(mudar_destino_, &QPushButton::clicked, this,
            [this] { protegido([&] { muda_caminho_destino(); }); });
    connect(faz_copias_, &QCheckBox::clicked, this, [this](bool faz) { muda_faz_copias(faz); });
    connect(copiar_, &QPushButton::clicked, this, [this] { protegido([&] { executa(); }); });
    connect(fechar_, &QPushButton::clicked, this, &QDialog::accept);
    connect(concluir_, &QPushButton::clicked, this, &QDialog::accept);
}

void conf_copias::protegido(const std::function<void()>& accao) {
    try {
        accao();
    } catch (const engine::EngineError& e) {
        mostra_falha(e.descricao());
    } catch (const FileError& e) {
        mostra_falha(e.what());
    }
}

void conf_copias::carrega_projecto() {
    registo_.abre(projecto_);
    if (!registo_.carrega()) {
        sem_registo();
        return;
    }
    preenche_lista();
    marca_devidas();
}

void conf_copias::sem_registo() {
    copiar_->setEnabled(false);
    // Nothing to edit: the fields would have no row to write to.
    frame2_->setEnabled(false);
    mudar_destino_->setEnabled(false);
    tabs_->setTabVisible(2, true);
    tabs_->setCurrentIndex(2);
    label4_0_->setText(QStringLiteral("Não existem Bases de Dados"));
    log_.regista_erro("Não foi encontrada a tabela BUPS na base de dados principal.");
    mostra_logs();
}

bool conf_copias::nome_copia_valido(const std::string& original, const std::string& nome) const {
    return pezolva::nome_copia_valido(original, nome);
}

bool conf_copias::execucao_sem_erros() const { return execucao_sem_erros_.value_or(false); }

// The list ---------------------------------------------------------------

void conf_copias::preenche_lista() {
    // A list set up again starts with empty logs: lines of an earlier run
    // would be taken for this one's.
    log_.limpa();
    mostra_logs();
    const std::vector<LinhaLista> linhas = registo_.linhas();
    {
        const Bandeira preencher(a_preencher_);
        lista_->clear();
        for (const LinhaLista& l : linhas) {
            auto* item = new QTreeWidgetItem(lista_);
            item->setText(0, QString::fromStdString(l.nome));
            item->setToolTip(0, item->text(0));
            item->setData(0, Qt::UserRole, QString::fromStdString(l.nome));
            item->setText(1, QString::fromStdString(l.destino));
            item->setToolTip(1, item->text(1));
            item->setText(2, QString::fromStdString(l.ultima));
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    ajusta_colunas();
    if (registo_.carregado()) registo_.recordset().MoveFirst();
    selecciona_actual();
    mostra_registo();
}

void conf_copias::marca_devidas() {
    for (int i = 0; i < lista_->topLevelItemCount(); ++i) {
        lista_->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    }
    for (const std::string& nome : registo_.devidas(servicos_.clock.now())) {
        for (int i = 0; i < lista_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lista_->topLevelItem(i);
            if (iequals(item->text(0).toStdString(), nome)) {
                item->setCheckState(0, Qt::Checked);
                break;
            }
        }
    }
}

// After a change of name or destination: the list is filled again, the same
// line chosen and the due databases ticked (a list filled afresh has no
// ticks, and a run must not find nothing chosen just because a folder
// changed).
void conf_copias::reconstroi_lista() {
    QTreeWidgetItem* seleccionado = lista_->currentItem();
    const int linha = seleccionado ? lista_->indexOfTopLevelItem(seleccionado) : 0;
    preenche_lista();
    if (QTreeWidgetItem* item = lista_->topLevelItem(linha)) {
        lista_->setCurrentItem(item);
        item_escolhido(item);
    }
    marca_devidas();
}

// After a run: the statistics of the copied rows, without touching ticks.
void conf_copias::actualiza_lista() {
    const std::vector<LinhaLista> linhas = registo_.linhas();
    for (int i = 0; i < lista_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lista_->topLevelItem(i);
        for (const LinhaLista& l : linhas) {
            if (item->data(0, Qt::UserRole).toString().toStdString() != l.nome) continue;
            item->setText(1, QString::fromStdString(l.destino));
            item->setToolTip(1, item->text(1));
            item->setText(2, QString::fromStdString(l.ultima));
            break;
        }
    }
    ajusta_colunas();
    selecciona_actual();
    mostra_registo();
}

void conf_copias::item_escolhido(QTreeWidgetItem* item) {
    if (a_preencher_ || item == nullptr) return;
    if (registo_.vai_para(item->data(0, Qt::UserRole).toString().toStdString())) mostra_registo();
}

void conf_copias::selecciona_actual() {
    const std::string nome = registo_.nome_actual();
    const Bandeira preencher(a_preencher_);
    for (int i = 0; i < lista_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lista_->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString().toStdString() == nome) {
            lista_->setCurrentItem(item);
            break;
        }
    }
}

// Events -----------------------------------------------------------------

void conf_copias::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (arranque_pendente_ && frame4_->isVisibleTo(this)) {
        arranque_pendente_ = false;
        // Queued, so that the window is painted and its modal loop running.
        QTimer::singleShot(0, this, [this] { protegido([&] { arranque_compacto(); }); });
    }
}

void conf_copias::done(int resultado) {
    if (em_execucao_) return;
    for (int i = 0; i < backup::kNumeroCampos; ++i) {
        if (text3_[static_cast<std::size_t>(i)] == focusWidget())
            protegido([&] { sai_do_campo(i); });
    }
    QDialog::done(resultado);
}

bool conf_copias::eventFilter(QObject* objecto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            // The button that ends the window answers Enter; elsewhere
            // Enter moves to the next control.
            if (objecto == concluir_ && concluir_->isEnabled()) {
                concluir_->click();
            } else {
                focusNextChild();
            }
            return true;
        }
        if (tecla == Qt::Key_Escape) {
            // Escape gives up the edit being made; with none, it closes.
            for (int i = 0; i < backup::kNumeroCampos; ++i) {
                QLineEdit* campo = text3_[static_cast<std::size_t>(i)];
                if (objecto != campo || !campo->isModified()) continue;
                mostra_campo(i);
                campo->selectAll();
                return true;
            }
            return false;
        }
        if (tecla == Qt::Key_Space && objecto == lista_) {
            // Space ticks the current row, whichever column was clicked.
            if (QTreeWidgetItem* item = lista_->currentItem()) {
                item->setCheckState(
                    0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            }
            return true;
        }
        return false;
    }
    for (int i = 0; i < backup::kNumeroCampos; ++i) {
        if (objecto != text3_[static_cast<std::size_t>(i)]) continue;
        QLineEdit* campo = text3_[static_cast<std::size_t>(i)];
        if (evento->type() == QEvent::FocusIn) {
            // After the mouse press that gave the focus, which would place the cursor.
            QTimer::singleShot(0, campo, &QLineEdit::selectAll);
        } else if (evento->type() == QEvent::FocusOut) {
            const auto razao = static_cast<QFocusEvent*>(evento)->reason();
            // A message box or menu taking the focus is not leaving the field.
            if (razao != Qt::ActiveWindowFocusReason && razao != Qt::PopupFocusReason) {
                protegido([&] { sai_do_campo(i); });
            }
        }
        break;
    }
    return QDialog::eventFilter(objecto, evento);
}

}  // namespace pezolva
