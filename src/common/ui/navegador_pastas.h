#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;
class QVBoxLayout;

namespace pezolva {

class ColunasEmPortugues;

// The folder browser: the folders of the file system as a tree, with the
// prompt above it and, under the prompt, a status line that shows the path
// of the folder selected.  The title bar shows the folder it started on.
// Every text is Portuguese (Qt's own folder chooser would speak English).
class NavegadorPastas : public QDialog {
    Q_OBJECT
  public:
    NavegadorPastas(const QString& inicio, const QString& prompt, QWidget* parent = nullptr);

    // The folder selected; empty when none is.
    QString pasta() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objecto, QEvent* evento) override;

  private:
    void poe_arvore(QVBoxLayout& layout, const QString& inicio);
    void poe_botoes(QVBoxLayout& layout);
    void segue_inicio(const QString& inicio);
    void mostra_seleccao();

    QFileSystemModel* modelo_;
    ColunasEmPortugues* colunas_;
    QTreeView* arvore_;
    QLabel* estado_;
    QPushButton* ok_;
    bool seguir_inicio_ = true;
};

}  // namespace pezolva
