#include <cstdio>
#include <cstdlib>

#include "cli.h"
#include "comandos.h"
#include "common/file_system.h"
#include "interface/estado.h"
#include "interface/projectos.h"
#include "pezolva/mnt.h"

namespace pezolva::cli {
namespace {

constexpr const char* kProjectoDemo = "pezolva-demo";

std::string pasta_por_omissao() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') return join_path(data, "pezolva/demo");
    const char* home = std::getenv("HOME");
    return join_path(home != nullptr ? home : ".", ".local/share/pezolva/demo");
}

}  // namespace

int demo(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {}, {});
    args.exige_posicionais(0, 1);
    std::string caminho = args.posicionais().empty() ? pasta_por_omissao() : args.posicionais()[0];
    FileSystem& files = servicos().files;

    std::printf("Projecto de demonstração em %s\n", caminho.c_str());
    if (!create_directories(files, caminho)) {
        throw FileError(2, "Não foi possível criar a pasta " + caminho);
    }

    std::string projecto = kProjectoDemo, nome_bd = "brasol.mdb";
    std::string descr = "Projecto de demonstração", passwd;
    bool vem_de_pezolva = true;
    pezolva::mnt m;
    std::printf("A registar o projecto %s neste posto...\n", projecto.c_str());
    const bool ok = m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva);

    std::printf("\nProjectos registados neste posto:\n");
    for (const auto& p : lista_projectos(servicos().settings)) {
        std::printf("  %s - %s (%s/%s)\n", p.nome.c_str(), p.descr.c_str(), p.caminho.c_str(),
                    p.nome_bd.c_str());
    }
    return ok ? kSucesso : kFalhou;
}

}  // namespace pezolva::cli
