#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "json.h"
#include "pezolva/operacoes.h"

namespace pezolva::cli {
namespace {

// The projects as a JSON array of objects whose keys come in the order
// nome, descr, caminho, nome_bd (a QJsonObject would sort them), one
// object a line.
std::string projectos_json(const std::vector<operacoes::Projecto>& lista) {
    std::string out = "[";
    for (std::size_t i = 0; i < lista.size(); ++i) {
        const operacoes::Projecto& p = lista[i];
        out += (i ? ",\n " : "") + std::string("{\"nome\": ") + texto_json(p.nome) +
               ", \"descr\": " + texto_json(p.descr) + ", \"caminho\": " + texto_json(p.caminho) +
               ", \"nome_bd\": " + texto_json(p.nome_bd) + "}";
    }
    return out + "]";
}

}  // namespace

int projects(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {}, {"--json"});
    args.exige_posicionais(0, 0);
    const std::vector<operacoes::Projecto> lista = operacoes::lista_projectos();
    if (args.tem("--json")) {
        std::printf("%s\n", projectos_json(lista).c_str());
    } else {
        for (const auto& p : lista) {
            std::printf("%s\t%s\t%s\t%s\n", p.nome.c_str(), p.descr.c_str(), p.caminho.c_str(),
                        p.nome_bd.c_str());
        }
    }
    return kSucesso;
}

}  // namespace pezolva::cli
