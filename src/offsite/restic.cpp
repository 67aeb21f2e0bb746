#include "offsite/restic.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <cerrno>

namespace pezolva::offsite {
namespace {

bool contem(const std::string& texto, const char* parte) {
    std::string a = texto, b = parte;
    for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a.find(b) != std::string::npos;
}

bool contem_algum(const std::string& texto, std::initializer_list<const char*> partes) {
    return std::any_of(partes.begin(), partes.end(),
                       [&](const char* p) { return contem(texto, p); });
}

// restic's last meaningful line, for the logs.
std::string ultima_linha(const std::string& texto) {
    std::string t = texto;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
    const std::size_t nl = t.rfind('\n');
    return nl == std::string::npos ? t : t.substr(nl + 1);
}

std::vector<std::string> textos(const QJsonArray& a) {
    std::vector<std::string> v;
    for (const auto& x : a) v.push_back(x.toString().toStdString());
    return v;
}

Envio le_resumo(const std::string& saida) {
    std::size_t inicio = 0;
    while (inicio < saida.size()) {
        std::size_t fim = saida.find('\n', inicio);
        if (fim == std::string::npos) fim = saida.size();
        const QJsonDocument d = QJsonDocument::fromJson(
            QByteArray(saida.data() + inicio, static_cast<qsizetype>(fim - inicio)));
        const QJsonObject o = d.object();
        if (o.value("message_type").toString() == "summary") {
            return {o.value("snapshot_id").toString().toStdString(),
                    static_cast<std::uint64_t>(o.value("data_added").toDouble()),
                    static_cast<std::uint64_t>(o.value("total_bytes_processed").toDouble())};
        }
        inicio = fim + 1;
    }
    throw ErroRestic(Falha::Outra, "O restic não disse o que enviou.", ultima_linha(saida));
}

std::vector<std::string> argumentos_envio(const std::vector<std::string>& etiquetas) {
    std::vector<std::string> args{"backup", "--json", "--host", "pezolva"};
    for (const std::string& e : etiquetas) args.insert(args.end(), {"--tag", e});
    return args;
}

}  // namespace

Falha classifica(const std::string& erros) {
    if (contem(erros, "wrong password or no key found")) return Falha::PasswordErrada;
    if (contem(erros, "no space left on device") || contem(erros, "disk quota exceeded")) {
        return Falha::Cheio;
    }
    if (contem(erros, "config file already exists")) return Falha::JaExiste;
    if (contem_algum(erros, {"repository is already locked", "unable to create lock"})) {
        return Falha::Bloqueado;
    }
    if (contem_algum(erros, {"Is there a repository at the following location",
                             "repository does not exist", "unable to open config file"})) {
        return Falha::SemRepositorio;
    }
    if (contem_algum(erros,
                     {"connection refused", "unable to start the sftp session", "no such host",
                      "dial tcp", "network is unreachable", "i/o timeout", "timed out",
                      "could not resolve hostname", "permission denied (publickey",
                      "host key verification failed", "connection reset", "no route to host"})) {
        return Falha::Inacessivel;
    }
    return Falha::Outra;
}

std::string explica(Falha falha, const std::string& repositorio) {
    switch (falha) {
        case Falha::SemRestic:
            return "O programa restic não está instalado: nada foi enviado para o repositório " +
                   repositorio + " (instale o pacote restic).";
        case Falha::PasswordErrada:
            return "A palavra-passe do repositório " + repositorio + " está errada.";
        case Falha::SemRepositorio:
            return "Não existe um repositório em " + repositorio +
                   " (crie-o com pezolva offsite init).";
        case Falha::Inacessivel:
            return "Não foi possível chegar ao repositório " + repositorio + ".";
        case Falha::Cheio:
            return "Não há espaço no destino do repositório " + repositorio + ".";
        case Falha::Bloqueado:
            return "O repositório " + repositorio + " está bloqueado por outro processo.";
        case Falha::JaExiste:
            return "Já existe um repositório em " + repositorio + ".";
        case Falha::Interrompido:
            return "O trabalho no repositório " + repositorio + " foi interrompido.";
        case Falha::Outra:
            break;
    }
    return "O restic falhou no repositório " + repositorio + ".";
}

ResultadoProcesso Restic::corre(std::vector<std::string> args, const std::string& entrada,
                                std::optional<int> saida_para) {
    std::vector<std::string> todos{"--repo", repositorio_};
    if (!comando_sftp_.empty()) {
        todos.push_back("--option");
        todos.push_back("sftp.command=" + comando_sftp_);
    }
    todos.insert(todos.end(), args.begin(), args.end());
    PedidoProcesso p{"restic", todos,
                     ambiente_limpo({"RESTIC_PASSWORD_FILE=" + ficheiro_password_}), entrada,
                     saida_para};
    ResultadoProcesso r = processos_.corre(p);
    if (!r.arrancou || r.interrompido_por != 0 || r.estado != 0) falhou(r);
    return r;
}

void Restic::falhou(const ResultadoProcesso& r) const {
    Falha f = Falha::Outra;
    if (!r.arrancou) {
        f = r.erro_arranque == ENOENT ? Falha::SemRestic : Falha::Outra;
    } else if (r.interrompido_por != 0) {
        f = Falha::Interrompido;
    } else {
        f = classifica(r.erros);
    }
    throw ErroRestic(f, explica(f, repositorio_), ultima_linha(r.erros));
}

void Restic::init() { corre({"init"}); }

void Restic::abre() { corre({"cat", "config"}); }

Envio Restic::envia(const std::string& ficheiro, const std::vector<std::string>& etiquetas,
                    const std::string& hora) {
    std::vector<std::string> args = argumentos_envio(etiquetas);
    args.insert(args.end(), {"--time", hora, "--", ficheiro});
    return le_resumo(corre(args).saida);
}

Envio Restic::envia_varios(const std::vector<std::string>& ficheiros,
                           const std::vector<std::string>& etiquetas) {
    std::vector<std::string> args = argumentos_envio(etiquetas);
    args.push_back("--");
    args.insert(args.end(), ficheiros.begin(), ficheiros.end());
    return le_resumo(corre(args).saida);
}

Envio Restic::envia_texto(const std::string& conteudo, const std::string& nome,
                          const std::vector<std::string>& etiquetas) {
    std::vector<std::string> args = argumentos_envio(etiquetas);
    args.insert(args.end(), {"--stdin", "--stdin-filename", nome});
    return le_resumo(corre(args, conteudo).saida);
}

std::vector<Instantaneo> Restic::lista(const std::vector<std::string>& etiquetas) {
    std::string juntas;
    for (const std::string& e : etiquetas) juntas += (juntas.empty() ? "" : ",") + e;
    const ResultadoProcesso r = corre({"snapshots", "--json", "--tag", juntas});
    std::vector<Instantaneo> v;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(r.saida));
    for (const auto& x : d.array()) {
        const QJsonObject o = x.toObject();
        v.push_back({o.value("id").toString().toStdString(),
                     o.value("time").toString().toStdString(), textos(o.value("paths").toArray()),
                     textos(o.value("tags").toArray())});
    }
    return v;
}

void Restic::esquece(const std::vector<std::string>& etiquetas, int manter, bool prune) {
    std::string juntas;
    for (const std::string& e : etiquetas) juntas += (juntas.empty() ? "" : ",") + e;
    std::vector<std::string> args{
        "forget", "--json", "--group-by",  "",
        "--tag",  juntas,   "--keep-last", std::to_string(std::max(manter, 1))};
    if (prune) args.push_back("--prune");
    corre(args);
}

void Restic::esquece_instantaneo(const std::string& id) { corre({"forget", id}); }

void Restic::prune() { corre({"prune"}); }

void Restic::extrai(const std::string& id, const std::string& caminho, int fd) {
    corre({"dump", id, caminho}, "", fd);
}

std::string Restic::verifica(const std::optional<std::string>& amostra) {
    std::vector<std::string> args{"check"};
    if (amostra) args.push_back("--read-data-subset=" + *amostra);
    return corre(args).saida;
}

}  // namespace pezolva::offsite
