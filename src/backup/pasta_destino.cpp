#include "backup/pasta_destino.h"

#include "common/text.h"

namespace pezolva::backup {

bool cria_pasta_por_niveis(FileSystem& files, const std::string& pasta) {
    std::string feito, resto, componente;
    if (pasta.rfind("//", 0) == 0) {
        std::string servidor;
        separa_primeiro(pasta.substr(2), '/', servidor, resto);
        feito = "//" + servidor;
    } else {
        separa_primeiro(pasta, '/', feito, resto);
    }
    bool criada = false;
    for (;;) {
        criada = files.create_directory(feito);
        separa_primeiro(resto, '/', componente, resto);
        if (componente.empty()) break;
        feito += "/" + componente;
    }
    return criada;
}

}  // namespace pezolva::backup
