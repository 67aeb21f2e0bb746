#pragma once

#include <QIdentityProxyModel>
#include <QLocale>

class QFileSystemModel;

namespace pezolva {

// A file-system model's columns as a Portuguese user reads them, whatever
// the machine's language: sizes ("12,3 KB"), kinds ("Pasta", "Unidade",
// "Ficheiro ebd") and dates in the Portuguese short format ("07/12/26
// 17:28").  Qt's own model takes these from the system's locale and from
// English descriptions.  Put over a QFileSystemModel; names and headings
// pass unchanged (the headings are translated by traducao_qt).
class ColunasEmPortugues : public QIdentityProxyModel {
    Q_OBJECT
  public:
    explicit ColunasEmPortugues(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;

    // The locale the choosers speak: European Portuguese.
    static QLocale portugues();

  private:
    const QFileSystemModel* origem() const;
};

}  // namespace pezolva
