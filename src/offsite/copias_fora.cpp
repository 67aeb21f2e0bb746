#include "offsite/copias_fora.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <stdexcept>

#include "engine/temporary_files.h"
#include "offsite/etiquetas.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"
#include "restore/repor_copias.h"
#include "restore/sobras_reposicao.h"

namespace pezolva::offsite {
namespace {

std::string nome_do_caminho(const std::string& caminho) {
    const std::size_t barra = caminho.rfind('/');
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

}  // namespace

std::vector<CopiaFora> lista_copias_fora(Restic& restic, const std::string& projecto) {
    std::vector<CopiaFora> copias;
    for (const Instantaneo& i : restic.lista({kMarca, kTipoCopia, etiqueta_projecto(projecto)})) {
        const auto bd = valor_etiqueta(i.etiquetas, "bd");
        const auto carimbo = valor_etiqueta(i.etiquetas, "carimbo");
        if (!bd || !carimbo || i.caminhos.empty()) continue;
        copias.push_back(
            {i.id, nome_do_caminho(i.caminhos.front()), *bd, *carimbo, i.caminhos.front(), 0});
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
        // Named as the restore's leftover recovery knows it: a fetch killed
        // half-way is reclaimed once nobody holds its name.
        restore::buscado_reposicao(join_path(projecto.caminho, copia.bd),
                                   engine::random_token(servicos.random)));
    extrai_para(restic, copia, buscado);
    restore::CopiaEncontrada encontrada;
    encontrada.nome_fich = nome_do_caminho(buscado);
    encontrada.bd = copia.bd;
    encontrada.carimbo = copia.carimbo;
    encontrada.caminho = projecto.caminho;
    const auto falha =
        restore::repoe_encontrada(servicos, projecto, restore::onde_procurar(projecto), encontrada);
    temporarios.remove(buscado);
    return falha;
}

restore::FonteCopias fonte_copias(Services& servicos, const ProjectoActual& projecto,
                                  Processos& processos, const ConfiguracaoOffsite& config) {
    // The copies of the last listing by file name, the row's key: the
    // window hands back the row, the restore needs the snapshot.
    auto listadas = std::make_shared<std::map<std::string, CopiaFora>>();
    restore::FonteCopias fonte;
    fonte.nome = "Repositório: " + config.repositorio;
    fonte.lista = [&processos, &projecto, config, listadas, nome = fonte.nome] {
        Restic restic(processos, config.repositorio, config.ficheiro_password, config.comando_sftp);
        listadas->clear();
        std::vector<restore::CopiaEncontrada> linhas;
        for (CopiaFora& c : lista_copias_fora(restic, projecto.projecto)) {
            restore::CopiaEncontrada linha;
            linha.nome_fich = c.nome_fich;
            linha.bd = c.bd;
            linha.data = restore::data_do_carimbo(c.carimbo);
            linha.carimbo = c.carimbo;
            linha.caminho = nome;
            // Newest first: a name kept twice is shown (and restored) once.
            if (listadas->emplace(c.nome_fich, std::move(c)).second)
                linhas.push_back(std::move(linha));
        }
        return linhas;
    };
    fonte.repoe = [&servicos, &processos, &projecto, config,
                   listadas](const restore::CopiaEncontrada& linha) -> std::optional<std::string> {
        const auto c = listadas->find(linha.nome_fich);
        if (c == listadas->end()) {
            throw std::runtime_error("A cópia " + linha.nome_fich + " já não está no repositório " +
                                     config.repositorio + ".");
        }
        Restic restic(processos, config.repositorio, config.ficheiro_password, config.comando_sftp);
        return repoe_de_fora(servicos, projecto, restic, c->second);
    };
    return fonte;
}

}  // namespace pezolva::offsite
