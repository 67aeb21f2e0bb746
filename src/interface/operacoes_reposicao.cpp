// The unattended restore: the copies found, one named, and the replacement.
#include "common/text.h"
#include "engine/interruption.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/reposicao.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"
#include "restore/repor_copias.h"

namespace pezolva::operacoes {
namespace {

constexpr const char* kSeparadorInterno = " ";

CopiaListada listada(const restore::CopiaEncontrada& c) {
    return {c.nome_fich, c.bd, c.data, c.carimbo, c.caminho, c.tamanho, c.bytes};
}

restore::CopiaEncontrada encontrada(const CopiaListada& c) {
    return {c.nome_fich,
            c.bd,
            c.data,
            c.carimbo,
            c.caminho,
            c.tamanho,
            restore::tamanho_ordenavel(c.bytes),
            c.bytes};
}

std::vector<restore::CopiaEncontrada> procura(const restore::OndeProcurar& onde,
                                              const std::string& separador) {
    auto copias = restore::procura_copias(servicos().files, onde.pastas, onde.bases, separador);
    restore::ordena(copias, 2, true);  // newest first, as the window opens
    return copias;
}

}  // namespace

CopiasEncontradas lista_copias(const std::string& separador) {
    return para_o_anfitriao([&] {
        exige_projecto();
        const restore::OndeProcurar onde = restore::onde_procurar(estado().projecto_actual);
        CopiasEncontradas encontradas;
        for (const auto& c : procura(onde, separador)) encontradas.copias.push_back(listada(c));
        encontradas.pastas = onde.pastas;
        encontradas.sem_registo = onde.sem_registo;
        return encontradas;
    });
}

std::optional<CopiaListada> procura_copia(const std::string& copia) {
    return para_o_anfitriao([&]() -> std::optional<CopiaListada> {
        exige_projecto();
        const restore::OndeProcurar onde = restore::onde_procurar(estado().projecto_actual);
        if (copia.find('/') != std::string::npos) {
            const auto c =
                restore::reconhece_copia(servicos().files, copia, onde.bases, kSeparadorInterno);
            if (c) return listada(*c);
            return std::nullopt;
        }
        const auto copias = procura(onde, kSeparadorInterno);
        for (const auto& c : copias) {
            if (c.nome_fich == copia) return listada(c);
        }
        for (const auto& c : copias) {
            if (iequals(c.nome_fich, copia)) return listada(c);
        }
        return std::nullopt;
    });
}

std::string pergunta_reposicao() { return restore::pergunta_reposicao(); }

ResultadoReposicao repoe(const CopiaListada& copia) {
    return para_o_anfitriao([&] {
        exige_projecto();
        const ProjectoActual& projecto = estado().projecto_actual;
        const restore::OndeProcurar onde = restore::onde_procurar(projecto);
        ResultadoReposicao r;
        bool registo_recriado = false;
        {
            // A signal stops the work before the swap, and what it wrote
            // goes, rather than the host dying half-way.
            const engine::SignalInterruption sinais;
            r.falha = restore::repoe_encontrada(servicos(), projecto, onde, encontrada(copia),
                                                &registo_recriado);
            r.sinal = engine::interruption_requested();
        }
        // The request would stop every later statement of this process.
        engine::clear_interruption();
        if (!r.falha) r.mensagem = restore::copia_concluida(registo_recriado);
        return r;
    });
}

}  // namespace pezolva::operacoes
