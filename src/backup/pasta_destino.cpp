#include "backup/pasta_destino.h"

#include "common/text.h"

namespace pezolva::backup {

namespace {

// A new level is no more open than the folder it was made in; where the
// bits cannot be read or set it keeps those it was made with.
void herda_permissoes(FileSystem& files, const std::string& nivel) {
    const auto barra = nivel.rfind('/');
    if (barra == std::string::npos) return;
    const auto bits = files.permissions(barra == 0 ? "/" : nivel.substr(0, barra));
    if (!bits) return;
    try {
        files.set_permissions(nivel, *bits);
    } catch (const FileError&) {
    }
}

}  // namespace

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
        if (criada) herda_permissoes(files, feito);
        separa_primeiro(resto, '/', componente, resto);
        if (componente.empty()) break;
        feito += "/" + componente;
    }
    return criada;
}

}  // namespace pezolva::backup
