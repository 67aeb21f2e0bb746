#include "cli.h"
#include "comandos.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {

int start(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--descr", "--password-file"}, {});
    args.exige_posicionais(3, 3);
    std::string caminho = args.posicionais()[0];
    std::string projecto = args.posicionais()[1];
    std::string nome_bd = args.posicionais()[2];
    std::string descr = args.valor("--descr").value_or("");
    std::string passwd = obtem_password(args, "Palavra-passe de " + nome_bd + ": ");
    bool vem_de_pezolva = false;
    pezolva::mnt m;
    return m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva) ? kSucesso
                                                                                         : kFalhou;
}

}  // namespace pezolva::cli
