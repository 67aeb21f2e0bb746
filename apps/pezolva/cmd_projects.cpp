#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "interface/estado.h"
#include "project/projectos.h"

namespace pezolva::cli {
namespace {

std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

}  // namespace

int projects(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {}, {"--json"});
    args.exige_posicionais(0, 0);
    const auto lista = lista_projectos(servicos().settings);
    if (args.tem("--json")) {
        std::string out = "[";
        for (std::size_t i = 0; i < lista.size(); ++i) {
            const auto& p = lista[i];
            out += (i ? ",\n " : "") + std::string("{\"nome\": ") + json_string(p.nome) +
                   ", \"descr\": " + json_string(p.descr) + ", \"caminho\": " +
                   json_string(p.caminho) + ", \"nome_bd\": " + json_string(p.nome_bd) + "}";
        }
        std::printf("%s]\n", out.c_str());
    } else {
        for (const auto& p : lista) {
            std::printf("%s\t%s\t%s\t%s\n", p.nome.c_str(), p.descr.c_str(), p.caminho.c_str(),
                        p.nome_bd.c_str());
        }
    }
    return kSucesso;
}

}  // namespace pezolva::cli
