#include "offsite/recuperacao.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <stdexcept>

#include "engine/database.h"
#include "engine/quoting.h"
#include "offsite/copias_fora.h"
#include "offsite/etiquetas.h"
#include "offsite/metadados.h"
#include "project/projecto.h"
#include "register/bups.h"
#include "restore/copias_encontradas.h"

namespace pezolva::offsite {
namespace {

std::string nome_de(const std::string& caminho) { return caminho.substr(caminho.rfind('/') + 1); }

bool iguais(std::string a, std::string b) {
    for (std::string* s : {&a, &b}) {
        for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return a == b;
}

[[noreturn]] void falta(const std::string& o_que) { throw std::runtime_error(o_que); }

class Recuperador {
  public:
    Recuperador(Services& s, Restic& r, std::string projecto, std::string pasta, std::string passwd)
        : servicos_(s),
          restic_(r),
          projecto_(std::move(projecto)),
          pasta_(std::move(pasta)),
          passwd_(std::move(passwd)) {}

    Recuperacao corre() {
        prepara_pasta();
        instantaneos_ = restic_.lista({kMarca, etiqueta_projecto(projecto_)});
        const QJsonObject doc = le_registo();
        r_.nome_bd = doc.value("nome_bd").toString().toStdString();
        const std::string antiga = doc.value("caminho").toString().toStdString();
        const QJsonArray linhas = doc.value("registo").toArray();
        for (const auto& l : linhas) traz_base(l.toObject());
        traz_estruturas();
        recria_registo(linhas, antiga);
        return r_;
    }

  private:
    void prepara_pasta() {
        FileSystem& files = servicos_.files;
        if (files.exists(pasta_) &&
            (!files.is_directory(pasta_) || !files.list_files(pasta_).empty())) {
            falta("A pasta " + pasta_ +
                  " não está vazia: a recuperação só escreve numa pasta vazia.");
        }
        if (!create_directories(files, pasta_))
            falta("Não foi possível criar a pasta " + pasta_ + ".");
    }

    // The newest snapshot of `tipo` (and of database `bd` when given).
    const Instantaneo* mais_recente(const std::string& tipo, const std::string& bd = "") {
        const Instantaneo* melhor = nullptr;
        for (const Instantaneo& i : instantaneos_) {
            if (valor_etiqueta(i.etiquetas, "tipo") != tipo || i.caminhos.empty()) continue;
            if (!bd.empty() && !iguais(valor_etiqueta(i.etiquetas, "bd").value_or(""), bd))
                continue;
            const std::string chave = valor_etiqueta(i.etiquetas, "carimbo").value_or(i.hora);
            if (melhor == nullptr ||
                chave > valor_etiqueta(melhor->etiquetas, "carimbo").value_or(melhor->hora)) {
                melhor = &i;
            }
        }
        return melhor;
    }

    // Fetches a file of a snapshot to `final`, through a hidden name.
    void traz(const Instantaneo& i, const std::string& caminho, const std::string& final,
              const std::string& ligacao, bool verificar) {
        const std::string temporario = join_path(pasta_, "." + nome_de(final) + ".pezolva-fora");
        extrai_para(restic_, {i.id, nome_de(caminho), "", "", caminho, 0}, temporario);
        if (verificar) verifica(temporario, final, ligacao);
        servicos_.files.rename_no_replace(temporario, final);
        r_.ficheiros.push_back(final);
    }

    void verifica(const std::string& temporario, const std::string& final,
                  const std::string& ligacao) {
        std::string resultado;
        try {
            engine::Database db = engine::OpenDatabase(temporario, false, true, ligacao);
            resultado = db.OpenRecordset("PRAGMA quick_check").Fields(std::size_t{0}).to_text();
        } catch (const engine::EngineError& e) {
            resultado = e.descricao();
        }
        if (resultado == "ok") return;
        servicos_.files.remove(temporario);
        falta("A cópia de " + nome_de(final) +
              " no repositório não abre ou está danificada: " + resultado);
    }

    QJsonObject le_registo() {
        const Instantaneo* i = mais_recente("registo");
        if (i == nullptr) falta("O repositório não tem o registo do projecto " + projecto_ + ".");
        const std::string temporario = join_path(pasta_, std::string(".") + kNomeRegisto);
        extrai_para(restic_, {i->id, kNomeRegisto, "", "", i->caminhos.front(), 0}, temporario);
        const auto texto = servicos_.files.read_file(temporario).value_or("");
        servicos_.files.remove(temporario);
        return QJsonDocument::fromJson(QByteArray::fromStdString(texto)).object();
    }

    void traz_base(const QJsonObject& linha) {
        const std::string nome = nome_de(linha.value(bups::kNomeBd).toString().toStdString());
        const Instantaneo* i = mais_recente("copia", nome_procurado(nome));
        if (i == nullptr) falta("O repositório não tem nenhuma cópia de " + nome + ".");
        // The main database opens with the password given; the others with
        // their rows'.
        const QJsonValue da_linha = linha.value(bups::kPasswd);
        const Value passwd = iguais(nome, r_.nome_bd) ? Value(passwd_)
                             : da_linha.isNull()      ? Value()
                                                      : Value(da_linha.toString().toStdString());
        const std::string ligacao = ligacao_da_linha(passwd);
        traz(*i, i->caminhos.front(), join_path(pasta_, nome), ligacao, true);
    }

    void traz_estruturas() {
        const Instantaneo* i = mais_recente("estrutura");
        if (i == nullptr) return;
        for (const std::string& c : i->caminhos) {
            const std::string final = join_path(pasta_, nome_de(c));
            if (!servicos_.files.exists(final)) traz(*i, c, final, "", false);
        }
    }

    // A folder inside the old project folder moves with the project.
    std::string mudado(const std::string& valor, const std::string& antiga) const {
        if (antiga.empty() || valor.compare(0, antiga.size(), antiga) != 0) return valor;
        if (valor.size() > antiga.size() && valor[antiga.size()] != '/') return valor;
        return pasta_ + valor.substr(antiga.size());
    }

    void recria_registo(const QJsonArray& linhas, const std::string& antiga) {
        ProjectoActual p;
        p.caminho = pasta_;
        p.nome_bd = r_.nome_bd;
        p.passwd = passwd_;
        engine::Database db = engine::OpenDatabase(p.base_principal(), false, false, p.ligacao());
        if (!cria_bups(db, p, servicos_.dialogs))
            falta("Não foi possível criar o registo de cópias.");
        db.Execute(std::string("delete from ") + bups::kTabela);
        // Columns a later version added come back with the start's own
        // check of the register; their stored values are left out.
        std::vector<std::string> existentes;
        {
            const engine::Recordset rs =
                db.OpenRecordset(std::string("select * from ") + bups::kTabela);
            for (const auto& f : rs.FieldDefs()) existentes.push_back(f.Name());
        }
        for (const auto& l : linhas) {
            const QJsonObject o = l.toObject();
            std::vector<std::string> colunas, valores;
            for (auto it = o.begin(); it != o.end(); ++it) {
                if (std::none_of(existentes.begin(), existentes.end(), [&](const std::string& e) {
                        return iguais(e, it.key().toStdString());
                    })) {
                    continue;
                }
                colunas.push_back(it.key().toStdString());
                valores.push_back(it.value().isNull()
                                      ? "null"
                                      : engine::quote_literal(
                                            mudado(it.value().toString().toStdString(), antiga)));
            }
            std::string sql = std::string("insert into ") + bups::kTabela + " (" +
                              engine::quote_identifier_list(colunas) + ") values (";
            for (std::size_t k = 0; k < valores.size(); ++k) sql += (k ? ", " : "") + valores[k];
            db.Execute(sql + ")");
        }
    }

    Services& servicos_;
    Restic& restic_;
    std::string projecto_, pasta_, passwd_;
    std::vector<Instantaneo> instantaneos_;
    Recuperacao r_;
};

}  // namespace

Recuperacao recupera_projecto(Services& servicos, Restic& restic, const std::string& projecto,
                              const std::string& pasta, const std::string& passwd) {
    return Recuperador(servicos, restic, projecto, pasta, passwd).corre();
}

}  // namespace pezolva::offsite
