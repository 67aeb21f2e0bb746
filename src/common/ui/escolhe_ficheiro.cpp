#include "common/ui/escolhe_ficheiro.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

#include "common/ui/colunas_ficheiros.h"
#include "common/ui/traducao_qt.h"

namespace pezolva {

std::unique_ptr<QFileDialog> janela_escolhe_ficheiro(const QString& pasta,
                                                     const QStringList& filtros, QWidget* pai) {
    instala_traducao_qt();
    auto janela = std::make_unique<QFileDialog>(pai);
    janela->setObjectName(QStringLiteral("CommonDialog1"));
    // Before anything else: the widgets are made for the dialog chosen.
    janela->setOption(QFileDialog::DontUseNativeDialog);
    janela->setDirectory(pasta);
    janela->setNameFilters(filtros);
    janela->setFileMode(QFileDialog::ExistingFile);
    janela->setAcceptMode(QFileDialog::AcceptOpen);
    janela->setLocale(ColunasEmPortugues::portugues());
    janela->setProxyModel(new ColunasEmPortugues(janela.get()));
    janela->setViewMode(QFileDialog::Detail);
    // The name takes what is left once size, kind and date have the room
    // their headings and texts need.
    if (auto* detalhe = janela->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* cabecalho = detalhe->header();
        cabecalho->setStretchLastSection(false);
        cabecalho->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < cabecalho->count(); ++c)
            cabecalho->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    // The places on the left keep their names ("Computador") whole.
    if (auto* divisor = janela->findChild<QSplitter*>(QStringLiteral("splitter")))
        divisor->setSizes({150, 570});
    janela->resize(720, 440);
    return janela;
}

}  // namespace pezolva
