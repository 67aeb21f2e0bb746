#include "json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace pezolva::cli {

std::string texto_json(const std::string& s) {
    const QByteArray um =
        QJsonDocument(QJsonArray{QString::fromStdString(s)}).toJson(QJsonDocument::Compact);
    return um.mid(1, um.size() - 2).toStdString();  // without the array's brackets
}

}  // namespace pezolva::cli
