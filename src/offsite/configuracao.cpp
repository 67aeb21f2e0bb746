#include "offsite/configuracao.h"

#include <regex>
#include <sstream>

namespace pezolva::offsite {
namespace {

constexpr const char* kSeccao = "[offsite]";

// The "chave=valor" lines a value may not break.
std::string numa_linha(const std::string& v) {
    std::string r;
    for (char c : v) r += (c == '\n' || c == '\r') ? ' ' : c;
    return r;
}

}  // namespace

std::string caminho_configuracao(const std::string& pasta_projecto) {
    return join_path(pasta_projecto, kFicheiroConfiguracao);
}

std::optional<ConfiguracaoOffsite> le_configuracao(FileSystem& files,
                                                   const std::string& pasta_projecto) {
    const auto texto = files.read_file(caminho_configuracao(pasta_projecto));
    if (!texto) return std::nullopt;
    ConfiguracaoOffsite c;
    std::istringstream in(*texto);
    std::string linha;
    while (std::getline(in, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        const std::size_t igual = linha.find('=');
        if (igual == std::string::npos) continue;
        const std::string chave = linha.substr(0, igual), valor = linha.substr(igual + 1);
        if (chave == "repositorio") c.repositorio = valor;
        if (chave == "ficheiro_password") c.ficheiro_password = valor;
        if (chave == "comando_sftp") c.comando_sftp = valor;
        if (chave == "ultimo_envio") c.ultimo_envio = valor;
        if (chave == "ultima_verificacao") c.ultima_verificacao = valor;
        if (chave == "resultado_verificacao") c.resultado_verificacao = valor;
        if (chave == "ultimo_prune") c.ultimo_prune = valor;
    }
    if (c.repositorio.empty()) return std::nullopt;
    return c;
}

void grava_configuracao(FileSystem& files, const std::string& pasta_projecto,
                        const ConfiguracaoOffsite& c) {
    std::string t = std::string(kSeccao) + "\n";
    const std::pair<const char*, const std::string*> campos[] = {
        {"repositorio", &c.repositorio},
        {"ficheiro_password", &c.ficheiro_password},
        {"comando_sftp", &c.comando_sftp},
        {"ultimo_envio", &c.ultimo_envio},
        {"ultima_verificacao", &c.ultima_verificacao},
        {"resultado_verificacao", &c.resultado_verificacao},
        {"ultimo_prune", &c.ultimo_prune},
    };
    for (const auto& [chave, valor] : campos)
        t += std::string(chave) + "=" + numa_linha(*valor) + "\n";
    const std::string caminho = caminho_configuracao(pasta_projecto);
    files.write_file_atomic(caminho, t);
    files.set_permissions(caminho, 0644);
}

std::optional<std::string> recusa_repositorio(const std::string& repositorio) {
    if (repositorio.empty()) return "Falta o repositório.";
    static const std::regex com_credenciais(R"(://[^/@]*:[^/@]*@)");
    if (std::regex_search(repositorio, com_credenciais)) {
        return "O repositório " +
               std::regex_replace(repositorio, std::regex(R"(://[^/@]*@)"), "://…@") +
               " traz uma palavra-passe no endereço: não é aceite (o restic lê-a do seu próprio "
               "ficheiro de credenciais).";
    }
    const std::string pasta = pasta_local(repositorio);
    if (repositorio_local(repositorio) && (pasta.empty() || pasta.front() != '/')) {
        return "O repositório " + repositorio + " tem de ser um caminho absoluto.";
    }
    return std::nullopt;
}

bool repositorio_local(const std::string& repositorio) {
    if (repositorio.rfind("local:", 0) == 0) return true;
    static const std::regex esquema(R"(^(sftp|rest|s3|b2|azure|gs|swift|rclone):)");
    return !std::regex_search(repositorio, esquema);
}

std::string pasta_local(const std::string& repositorio) {
    return repositorio.rfind("local:", 0) == 0 ? repositorio.substr(6) : repositorio;
}

}  // namespace pezolva::offsite
