#include "offsite/copias_fora.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "engine/temporary_files.h"
#include "offsite/etiquetas.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"
#include "restore/repor_copias.h"

namespace pezolva::offsite {
namespace {

std::string nome_do_caminho(const std::string& caminho) {
    const std::size_t barra = caminho.rfind('/');
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

std::string temporario_fora(const std::string& pasta, const std::string& bd, std::uint64_t token) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(token));
    return join_path(pasta, "." + bd + "." + hex + ".pezolva-fora");
}

}  // namespace

std::vector<CopiaFora> lista_copias_fora(Restic& restic, const std::string& projecto) {
    std::vector<CopiaFora> copias;
    for (const Instantaneo& i : restic.lista({kMarca, kTipoCopia, etiqueta_projecto(projecto)})) {
        const auto bd = valor_etiqueta(i.etiquetas, "bd");
        const auto carimbo = valor_etiqueta(i.etiquetas, "carimbo");
        if (!bd || !carimbo || i.caminhos.empty()) continue;
        copias.push_back({i.id, nome_do_caminho(i.caminhos.front()), *bd, *carimbo,
                          i.caminhos.front(), 0});
    }
    std::sort(copias.begin(), copias.end(), [](const CopiaFora& a, const CopiaFora& b) {
        return a.carimbo != b.carimbo ? a.carimbo > b.carimbo : a.nome_fich < b.nome_fich;
    });
    return copias;
}

void extrai_para(Restic& restic, const CopiaFora& copia, const std::string& destino) {
    const int fd = ::open(destino.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw FileError(errno, destino + ": " + describe_errno(errno));
    try {
        restic.extrai(copia.id, copia.caminho, fd);
        if (::fsync(fd) != 0) throw FileError(errno, destino + ": " + describe_errno(errno));
    } catch (...) {
        ::close(fd);
        ::unlink(destino.c_str());
        throw;
    }
    ::close(fd);
}

std::optional<std::string> repoe_de_fora(Services& servicos, const ProjectoActual& projecto,
                                         Restic& restic, const CopiaFora& copia) {
    engine::TemporaryFiles temporarios(servicos.files);
    const std::string buscado = temporarios.claim(
        temporario_fora(projecto.caminho, copia.bd, engine::random_token(servicos.random)));
    extrai_para(restic, copia, buscado);
    restore::CopiaEncontrada encontrada;
    encontrada.nome_fich = nome_do_caminho(buscado);
    encontrada.bd = copia.bd;
    encontrada.carimbo = copia.carimbo;
    encontrada.caminho = projecto.caminho;
    const auto falha = restore::repoe_encontrada(servicos, projecto,
                                                 restore::onde_procurar(projecto), encontrada);
    temporarios.remove(buscado);
    return falha;
}

}  // namespace pezolva::offsite
