#include "pezolva/importacao.h"

#include <chrono>
#include <filesystem>

#include "common/text.h"
#include "engine/interruption.h"
#include "importacao/erro_importacao.h"
#include "importacao/fonte_mdb.h"
#include "importacao/importacao_projecto.h"
#include "pezolva/operacoes.h"

namespace pezolva::importacao {
namespace {

// A project of that name elsewhere would be silently moved to the new folder.
void confirma_nome_livre(const Pedido& pedido) {
    const auto registado = operacoes::procura_projecto(pedido.projecto);
    if (registado) {
        throw ErroImportacao("Já existe neste posto um projecto com o nome " + registado->nome +
                             " (pasta " + registado->caminho + "): escolha outro nome.");
    }
}

// The start as `pezolva start` makes it: registered on this workstation,
// its register checked and brought to the current layout.
void regista(const Pedido& pedido, const std::string& nome_principal) {
    operacoes::Projecto projecto;
    projecto.nome = pedido.projecto;
    projecto.caminho = std::filesystem::absolute(pedido.destino).lexically_normal().string();
    projecto.nome_bd = nome_principal;
    if (operacoes::arranca_projecto(projecto, pedido.palavra_passe, false) !=
        operacoes::Arranque::Pronto) {
        throw ErroImportacao("O projecto importado não arranca: ficou por registar.");
    }
}

}  // namespace

Relatorio importa(const Pedido& pedido, const Progresso& progresso) {
    const auto inicio = std::chrono::steady_clock::now();
    Relatorio relatorio;
    bool escrito = false;
    // A signal stops the work, and what it wrote goes, rather than the
    // process dying with a half-written folder beside the target.
    const engine::SignalInterruption sinais;
    try {
        if (trim(pedido.projecto).empty()) throw ErroImportacao("Falta o nome do projecto.");
        confirma_nome_livre(pedido);
        importa_projecto(pedido, abre_fonte_mdb, progresso, relatorio);
        escrito = true;
        if (engine::interruption_requested() != 0) throw ErroImportacao(kImportacaoInterrompida);
        regista(pedido, relatorio.ficheiros.front().nome);
        relatorio.sucesso = true;
    } catch (const std::exception& e) {
        relatorio.erro = e.what();
    }
    if (escrito && !relatorio.sucesso) {
        // Nothing half-done stays: the folder this call made goes again.
        std::error_code ignorado;
        std::filesystem::remove_all(pedido.destino, ignorado);
        relatorio.ficheiros.clear();
    }
    relatorio.sinal = engine::interruption_requested();
    // The request would stop every later statement of this process.
    engine::clear_interruption();
    relatorio.segundos =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    return relatorio;
}

}  // namespace pezolva::importacao
