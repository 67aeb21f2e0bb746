#include "common/ui/colunas_ficheiros.h"

#include <QDir>
#include <QFileSystemModel>

namespace pezolva {
namespace {

enum Coluna { kNome = 0, kTamanho = 1, kTipo = 2, kData = 3 };

QString tamanho(const QFileInfo& f, const QLocale& pt) {
    if (!f.isFile()) return QString();
    const qint64 bytes = f.size();
    if (bytes < 1000) return QStringLiteral("%1 bytes").arg(bytes);
    const char* unidades[] = {"KB", "MB", "GB", "TB"};
    double valor = static_cast<double>(bytes) / 1000.0;
    int u = 0;
    while (valor >= 1000.0 && u < 3) {
        valor /= 1000.0;
        ++u;
    }
    return pt.toString(valor, 'f', 1) + QLatin1Char(' ') + QLatin1String(unidades[u]);
}

QString tipo(const QFileInfo& f) {
    if (f.isRoot()) return QStringLiteral("Unidade");
    if (f.isDir()) return QStringLiteral("Pasta");
    const QString sufixo = f.suffix();
    return sufixo.isEmpty() ? QStringLiteral("Ficheiro") : QStringLiteral("Ficheiro ") + sufixo;
}

}  // namespace

ColunasEmPortugues::ColunasEmPortugues(QObject* parent) : QIdentityProxyModel(parent) {}

QLocale ColunasEmPortugues::portugues() { return QLocale(QLocale::Portuguese, QLocale::Portugal); }

const QFileSystemModel* ColunasEmPortugues::origem() const {
    return qobject_cast<const QFileSystemModel*>(sourceModel());
}

QVariant ColunasEmPortugues::data(const QModelIndex& index, int role) const {
    const QFileSystemModel* modelo = origem();
    const bool reescrita =
        index.column() == kTamanho || index.column() == kTipo || index.column() == kData;
    if (modelo == nullptr || role != Qt::DisplayRole || !reescrita)
        return QIdentityProxyModel::data(index, role);
    const QFileInfo f = modelo->fileInfo(mapToSource(index));
    const QLocale pt = portugues();
    switch (index.column()) {
        case kTamanho:
            return tamanho(f, pt);
        case kTipo:
            return tipo(f);
        default:
            return pt.toString(f.lastModified(), QLocale::ShortFormat);
    }
}

}  // namespace pezolva
