#include "offsite/metadados.h"

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

#include "engine/database.h"
#include "engine/error.h"
#include "offsite/etiquetas.h"
#include "register/bups.h"
#include "register/percurso.h"

namespace pezolva::offsite {
namespace {

constexpr int kVersoesGuardadas = 3;

QString q(const std::string& s) { return QString::fromStdString(s); }

QJsonObject linha_json(const engine::Recordset& linha) {
    QJsonObject o;
    const auto& campos = linha.FieldDefs();
    for (std::size_t i = 0; i < campos.Count(); ++i) {
        const Value v = linha.Fields(i);
        o.insert(q(campos[i].Name()), v.is_null() ? QJsonValue() : QJsonValue(q(v.to_text())));
    }
    return o;
}

std::string caminho_estrutura(const ProjectoActual& projecto, const std::string& nome_bd,
                              const std::string& estrutura) {
    if (estrutura.empty()) return "";
    if (estrutura.find('/') != std::string::npos) return estrutura;
    const std::size_t barra = nome_bd.rfind('/');
    const std::string pasta =
        barra == std::string::npos ? projecto.caminho : nome_bd.substr(0, barra);
    return join_path(pasta, estrutura);
}

}  // namespace

RegistoGuardado le_registo_guardado(const ProjectoActual& projecto) {
    RegistoGuardado r;
    QJsonArray linhas;
    try {
        engine::Database bd =
            engine::OpenDatabase(projecto.base_principal(), false, true, projecto.ligacao());
        engine::Recordset registo = bd.OpenRecordset("select * from BUPS");
        cada_linha(registo, [&](const engine::Recordset& linha) {
            linhas.append(linha_json(linha));
            const Value manter = linha[bups::kCopiasAManter];
            const std::string nome = linha[bups::kNomeBd].to_text();
            r.bases.push_back(
                {nome, manter.is_null() ? 1 : std::max(1, std::atoi(manter.to_text().c_str())),
                 caminho_estrutura(projecto, nome, linha[bups::kUltNomeEstrutura].to_text())});
        });
    } catch (const engine::EngineError&) {
        return {};
    }
    QJsonObject doc;
    doc.insert("projecto", q(projecto.projecto));
    doc.insert("nome_bd", q(projecto.nome_bd));
    doc.insert("caminho", q(projecto.caminho));
    doc.insert("registo", linhas);
    r.json = QJsonDocument(doc).toJson(QJsonDocument::Indented).toStdString();
    return r;
}

void guarda_metadados(Restic& restic, const ProjectoActual& projecto,
                      const RegistoGuardado& registo, int registos, int estruturas) {
    if (registo.json.empty()) return;
    const std::string proj = etiqueta_projecto(projecto.projecto);
    restic.envia_texto(registo.json, kNomeRegisto, {kMarca, kTipoRegisto, proj});
    if (registos + 1 > kVersoesGuardadas) {
        restic.esquece({kMarca, kTipoRegisto, proj}, kVersoesGuardadas, false);
    }
    std::set<std::string> ficheiros;
    for (const BaseGuardada& b : registo.bases) {
        if (!b.estrutura.empty() && ::access(b.estrutura.c_str(), R_OK) == 0) {
            ficheiros.insert(b.estrutura);
        }
    }
    if (ficheiros.empty()) return;
    restic.envia_varios({ficheiros.begin(), ficheiros.end()}, {kMarca, kTipoEstrutura, proj});
    if (estruturas + 1 > kVersoesGuardadas) {
        restic.esquece({kMarca, kTipoEstrutura, proj}, kVersoesGuardadas, false);
    }
}

}  // namespace pezolva::offsite
