#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "comandos.h"
#include "pezolva/offsite.h"
#include "projecto_terminal.h"

namespace pezolva::cli {
namespace {

// The password file as an absolute path: the configuration is read from
// other folders and by other users' runs.
std::string caminho_absoluto(const std::string& ficheiro) {
    char real[PATH_MAX];
    if (::realpath(ficheiro.c_str(), real) != nullptr) return real;
    if (ficheiro.empty() || ficheiro.front() == '/' || ::getcwd(real, sizeof real) == nullptr) {
        return ficheiro;
    }
    return std::string(real) + "/" + ficheiro;
}

// The repository (the second word) and how to reach it.
operacoes::RepositorioFora pedido(const Argumentos& args) {
    if (args.posicionais().size() < 2) throw UsoErrado{"falta o REPOSITORIO"};
    const auto ficheiro = args.valor("--repo-password-file");
    if (!ficheiro) throw UsoErrado{"falta --repo-password-file FICHEIRO"};
    operacoes::RepositorioFora r;
    r.repositorio = args.posicionais()[1];
    r.ficheiro_password = caminho_absoluto(*ficheiro);
    r.comando_sftp = args.valor("--sftp-command").value_or("");
    return r;
}

int mostra() {
    const auto r = operacoes::repositorio_fora();
    if (!r) {
        std::printf("As cópias deste projecto ficam só no local (sem repositório).\n");
        return kSucesso;
    }
    std::printf("Repositório: %s\nFicheiro da palavra-passe: %s\n", r->repositorio.c_str(),
                r->ficheiro_password.c_str());
    if (!r->comando_sftp.empty()) std::printf("Comando sftp: %s\n", r->comando_sftp.c_str());
    std::printf("Último envio: %s\nÚltima verificação: %s%s%s\n",
                r->ultimo_envio.empty() ? "nunca" : r->ultimo_envio.c_str(),
                r->ultima_verificacao.empty() ? "nunca" : r->ultima_verificacao.c_str(),
                r->resultado_verificacao.empty() ? "" : ", ", r->resultado_verificacao.c_str());
    return kSucesso;
}

int verifica(const Argumentos& args) {
    std::optional<std::string> amostra = args.valor("--read-data-subset");
    if (!amostra && args.tem("--read-data")) amostra = "10%";
    const std::string relatorio = operacoes::verifica_repositorio_fora(amostra);
    std::fputs(relatorio.c_str(), stdout);
    std::printf("O repositório não tem erros.\n");
    return kSucesso;
}

// A whole project back from the repository alone, registered here.
int recupera(const Argumentos& args) {
    args.exige_posicionais(3, 3);
    const auto projecto = args.valor("--project");
    if (!projecto) throw UsoErrado{"falta --project NOME"};
    const operacoes::RepositorioFora r = pedido(args);
    const std::string pasta = caminho_absoluto(args.posicionais()[2]);
    const std::string passwd = obtem_password(args, "Palavra-passe da base de dados principal: ");
    const std::string nome_bd = operacoes::recupera_projecto_fora(r, *projecto, pasta, passwd);
    std::printf("Projecto %s recuperado de %s em %s.\n", projecto->c_str(), r.repositorio.c_str(),
                pasta.c_str());
    const operacoes::Arranque a =
        operacoes::arranca_projecto({*projecto, "", pasta, nome_bd}, passwd, true);
    return a == operacoes::Arranque::Pronto ? kSucesso : kFalhou;
}

}  // namespace

// The project's off-site repository: create or choose it, show it, stop
// using it, free its space, check it.
int offsite(const std::vector<std::string>& raw) {
    const Argumentos args(raw,
                          {"--project", "--password-file", "--repo-password-file", "--sftp-command",
                           "--read-data-subset"},
                          {"--read-data"});
    if (args.posicionais().empty())
        throw UsoErrado{"falta a acção (init, set, show, off, prune, check)"};
    const std::string accao = args.posicionais()[0];
    if (accao == "recover") return recupera(args);
    const bool com_repositorio = accao == "init" || accao == "set";
    args.exige_posicionais(1, com_repositorio ? 2 : 1);
    if (accao != "init" && accao != "set" && accao != "show" && accao != "off" &&
        accao != "prune" && accao != "check") {
        throw UsoErrado{"acção desconhecida: " + accao};
    }
    if (!arranca_projecto_indicado(args, true)) return kFalhou;
    if (accao == "init") {
        operacoes::cria_repositorio_fora(pedido(args));
        std::printf("Repositório criado: as cópias do projecto vão também para %s.\n",
                    args.posicionais()[1].c_str());
    } else if (accao == "set") {
        operacoes::define_repositorio_fora(pedido(args));
        std::printf("As cópias do projecto vão também para %s.\n", args.posicionais()[1].c_str());
    } else if (accao == "show") {
        return mostra();
    } else if (accao == "off") {
        operacoes::desliga_repositorio_fora();
        std::printf("As cópias do projecto ficam só no local.\n");
    } else if (accao == "prune") {
        operacoes::poda_repositorio_fora();
        std::printf("O espaço das cópias esquecidas foi libertado.\n");
    } else {
        return verifica(args);
    }
    return kSucesso;
}

}  // namespace pezolva::cli
