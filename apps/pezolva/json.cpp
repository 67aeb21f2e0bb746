#include "json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace pezolva::cli {

std::string texto_json(const std::string& s) {
    const QByteArray um = QJsonDocument(QJsonArray{QString::fromStdString(s)}).toJson(QJsonDocument::Compact);
    return um.mid(1, um.size() - 2).toStdString();  // without the array's brackets
}

std::string lista_json(const std::vector<std::string>& textos) {
    std::string out = "[";
    for (std::size_t i = 0; i < textos.size(); ++i) out += (i ? ", " : "") + texto_json(textos[i]);
    return out + "]";
}

}  // namespace pezolva::cli
