// The register fields of the backup window: showing the current row,
// saving a field when it is left, the browse buttons, the two tick boxes of
// the row and the workstation's own tick box.
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

#include "backup/ui/conf_copias.h"
#include "common/bandeira.h"
#include "common/escolhe_pasta.h"
#include "common/text.h"
#include "engine/error.h"
#include "project/projectos.h"
#include "register/bups.h"

namespace pezolva {
namespace {

namespace col = pezolva::bups;

const char* const kColunasMarcas[] = {col::kUltCompactar, col::kUltApareceAviso};

}  // namespace

void conf_copias::mostra_registo() {
    for (int i = 0; i < backup::kNumeroCampos; ++i) mostra_campo(i);
    for (int i = 0; i < 2; ++i) {
        check1_[i]->setChecked(registo_.valor(kColunasMarcas[i]).to_boolean().value_or(false));
    }
    // The integrity frequency belongs to the project: it is set on the main
    // database's row and copied to the others.
    QLineEdit* integridades = text3_[backup::kCampoIntegridades];
    const bool livre = registo_.definicao(col::kNIntegridades) != nullptr &&
                       iequals(registo_.nome_actual(), projecto_.nome_bd);
    integridades->setReadOnly(!livre);
    QPalette paleta = integridades->palette();
    paleta.setColor(QPalette::Base, palette().color(livre ? QPalette::Base : QPalette::Button));
    integridades->setPalette(paleta);
}

void conf_copias::mostra_campo(int indice) {
    const backup::CampoRegisto& c = backup::campos_registo()[static_cast<std::size_t>(indice)];
    // setText also clears the changed mark: showing a row is not an edit.
    QLineEdit* campo = text3_[static_cast<std::size_t>(indice)];
    campo->setText(
        QString::fromStdString(backup::texto_do_valor(registo_.valor(c.coluna), indice)));
    campo->setCursorPosition(0);  // a long path shows its beginning
    // A field without a hint of its own shows its whole value on hovering.
    if (!*c.dica) campo->setToolTip(campo->text());
}

void conf_copias::sai_do_campo(int indice) {
    QLineEdit* campo = text3_[static_cast<std::size_t>(indice)];
    if (a_validar_ || !campo->isModified() || campo->isReadOnly()) return;
    const Bandeira validar(a_validar_);
    campo->setModified(false);
    const backup::CampoRegisto& c = backup::campos_registo()[static_cast<std::size_t>(indice)];
    const engine::Field* definicao = registo_.definicao(c.coluna);
    if (definicao == nullptr || !registo_.tem_linha_actual()) {
        mostra_campo(indice);
        return;
    }
    const backup::AvaliacaoEdicao a =
        backup::avalia_edicao(c, campo->text().toStdString(), *definicao, servicos_.dialogs);
    if (a.desfecho != backup::Desfecho::Gravar) {
        mostra_campo(indice);
        if (a.desfecho == backup::Desfecho::Recusado) {
            QTimer::singleShot(0, campo, [campo] { campo->setFocus(Qt::OtherFocusReason); });
        }
        return;
    }
    try {
        if (indice == backup::kCampoIntegridades) {
            registo_.grava_em_todas(c.coluna, a.valor);
        } else {
            registo_.grava(c.coluna, a.valor);
        }
    } catch (const engine::EngineError& e) {
        // A name another row already has, a database that cannot be written.
        mostra_falha(e.descricao());
        mostra_campo(indice);
        return;
    }
    depois_de_gravar(indice);
}

void conf_copias::depois_de_gravar(int indice) {
    if (indice == backup::kCampoNome || indice == backup::kCampoDestino) {
        // The list shows both: it is filled again.
        reconstroi_lista();
    } else {
        mostra_registo();
        marca_devidas();
    }
}

void conf_copias::procura_estrutura() {
    QLineEdit* campo = text3_[backup::kCampoEstrutura];
    const std::string inicio = backup::pasta_inicial_estrutura(
        campo->text().toStdString(), registo_.nome_actual(), projecto_.caminho);
    const auto escolhido = servicos_.dialogs.choose_file(
        inicio,
        {{"Estrutura de Base de Dados (*.ebd)", "*.ebd"}, {"Todos os ficheiros (*.*)", "*.*"}});
    if (!escolhido) return;
    campo->setText(QString::fromStdString(*escolhido));
    campo->setModified(true);
    sai_do_campo(backup::kCampoEstrutura);
}

void conf_copias::procura_destino() {
    QLineEdit* campo = text3_[backup::kCampoDestino];
    std::string inicio = trim(campo->text().toStdString());
    if (inicio.empty()) inicio = projecto_.caminho;
    // Cancelled, the browser gives back where it started.
    const QString pasta = QString::fromStdString(escolhe_pasta(servicos_.dialogs, inicio, ""));
    if (pasta == campo->text()) return;
    campo->setText(pasta);
    campo->setModified(true);
    sai_do_campo(backup::kCampoDestino);
}

void conf_copias::marca_clicada(int indice) {
    if (!registo_.tem_linha_actual()) return;
    try {
        registo_.grava(kColunasMarcas[indice], Value(check1_[indice]->isChecked()));
    } catch (const engine::EngineError& e) {
        mostra_falha(e.descricao());
        mostra_registo();
    }
}

void conf_copias::muda_caminho_destino() {
    if (!registo_.tem_linha_actual()) return;
    const Value destino = registo_.valor(col::kCaminhoDestino);
    const std::string mostrado = destino.is_null() ? "''" : destino.to_text();
    if (!pergunta_sim_nao(servicos_.dialogs,
                          "Vai alterar o caminho destino de todas as bases de dados para " +
                              mostrado + ". Confirma?",
                          "atenção", false)) {
        return;
    }
    try {
        registo_.grava_em_todas(col::kCaminhoDestino, destino);
    } catch (const engine::EngineError& e) {
        mostra_falha(e.descricao());
    }
    reconstroi_lista();
}

void conf_copias::muda_faz_copias(bool faz) {
    try {
        servicos_.settings.save(kAplicacao, projecto_.projecto, "faz_copias",
                                faz ? "True" : "False");
        projecto_.faz_copias = faz;
    } catch (const FileError& e) {
        mostra_falha(e.what());
        faz_copias_->setChecked(projecto_.faz_copias);
    }
}

void conf_copias::mostra_falha(const std::string& descricao) {
    informa(servicos_.dialogs, descricao, "Erro", Icon::Critical);
}

}  // namespace pezolva
