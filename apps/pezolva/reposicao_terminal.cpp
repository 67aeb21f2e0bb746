#include "reposicao_terminal.h"

#include <QLocale>
#include <cstdio>

namespace pezolva::cli {

std::optional<operacoes::Projecto> projecto_para_repor(const Argumentos& args) {
    const auto nome = args.valor("--project");
    if (!nome) throw UsoErrado{"falta --project NOME"};
    std::optional<operacoes::Projecto> projecto = operacoes::procura_projecto(*nome);
    if (!projecto) {
        std::fprintf(stderr, "pezolva: o projecto %s não está registado neste posto.\n",
                     nome->c_str());
        return std::nullopt;
    }
    const std::string passwd = obtem_password(args, "Palavra-passe de " + projecto->nome_bd + ": ");
    operacoes::arranca_projecto(*projecto, passwd, true);
    return projecto;
}

std::string separador_de_milhares() { return QLocale::system().groupSeparator().toStdString(); }

}  // namespace pezolva::cli
