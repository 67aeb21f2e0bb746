#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "cli.h"
#include "comandos.h"
#include "compactacao_terminal.h"
#include "copias_terminal.h"
#include "pezolva/demonstracao.h"
#include "pezolva/operacoes.h"
#include "pezolva/reposicao.h"
#include "pezolva/verificacao.h"
#include "separador_milhares.h"

namespace pezolva::cli {
namespace {

constexpr const char* kProjectoDemo = "pezolva-demo";

void titulo(const char* texto) { std::printf("\n== %s ==\n", texto); }

void mostra_registo(const std::vector<operacoes::BaseRegistada>& registo) {
    std::printf("%-18s %8s %7s  %-14s %s\n", "Base de dados", "Dias", "Cópias", "Estrutura",
                "Destino");
    for (const operacoes::BaseRegistada& b : registo) {
        std::printf("%-18s %8s %7s  %-14s %s\n", b.nome_bd.c_str(), b.dias_intervalo.c_str(),
                    b.copias_a_manter.c_str(), b.estrutura.c_str(), b.destino.c_str());
    }
}

// The files of `pasta` (hidden ones left out) by name, with their sizes.
void mostra_copias(const std::filesystem::path& pasta) {
    std::vector<std::pair<std::string, std::uintmax_t>> ficheiros;
    std::error_code erro;
    for (const auto& e : std::filesystem::directory_iterator(pasta, erro)) {
        const std::string nome = e.path().filename().string();
        std::error_code tamanho;
        if (nome.front() == '.' || !e.is_regular_file(tamanho)) continue;
        const std::uintmax_t bytes = e.file_size(tamanho);
        ficheiros.emplace_back(nome, tamanho ? 0 : bytes);
    }
    std::sort(ficheiros.begin(), ficheiros.end());
    for (const auto& [nome, bytes] : ficheiros) {
        std::printf("  %-34s %12llu bytes\n", nome.c_str(), static_cast<unsigned long long>(bytes));
    }
}

// Verifies the current project and shows its log and differences; true
// when every database matches its structure.
bool mostra_verificacao() {
    const verificacao::Resultado r = verificacao::verifica();
    for (const std::string& linha : r.registo) std::printf("  %s\n", linha.c_str());
    if (r.consistente()) {
        std::printf("Todas as bases de dados estão de acordo com as suas estruturas.\n");
    } else {
        std::printf("%zu diferenças, %zu falhas.\n", r.diferencas.size(), r.erros.size());
    }
    return r.consistente();
}

// A compaction keeps the old file under a name that carries the minute: a
// demo run again within the same minute would find that name taken and,
// rightly, refuse.  The demo waits for the next minute.
void espera_minuto_livre(const demonstracao::Projecto& p) {
    if (!demonstracao::minuto_da_compactacao_ocupado(p)) return;
    std::printf(
        "A compactação anterior foi feita neste minuto; o nome datado da base antiga leva o "
        "minuto: espera-se pelo seguinte.\n");
    std::fflush(stdout);
    while (demonstracao::minuto_da_compactacao_ocupado(p)) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

// The copies the restore window would list, and the newest copy of the
// main database restored into a scratch copy of the project.
bool mostra_reposicao(const demonstracao::Projecto& p, const std::string& caminho) {
    titulo("Cópias encontradas para repor (pezolva copies)");
    const operacoes::CopiasEncontradas encontradas =
        operacoes::lista_copias(separador_de_milhares());
    for (const operacoes::CopiaListada& c : encontradas.copias) {
        std::printf("  %-34s %-14s %-16s %10s KB\n", c.nome_fich.c_str(), c.bd.c_str(),
                    c.data.c_str(), c.tamanho.c_str());
    }
    const auto principal =
        std::find_if(encontradas.copias.begin(), encontradas.copias.end(),
                     [&](const operacoes::CopiaListada& c) { return c.bd + ".mdb" == p.nome_bd; });
    if (principal == encontradas.copias.end()) {
        std::printf("Não foi encontrada nenhuma cópia da base de dados principal.\n");
        return false;
    }

    titulo("Reposição de uma cópia num rascunho do projecto");
    const std::string rascunho = (std::filesystem::path(caminho) / "rascunho").string();
    std::printf(
        "O rascunho %s recebe as bases de dados do projecto; a sua %s.mdb é danificada\n"
        "e depois reposta a partir de %s (as bases de dados do projecto não mudam).\n",
        rascunho.c_str(), principal->bd.c_str(), principal->nome_fich.c_str());
    const demonstracao::ReposicaoRascunho reposta =
        demonstracao::repoe_num_rascunho(p, *principal, rascunho);
    if (reposta.falha) {
        std::printf("A reposição falhou: %s\n", reposta.falha->c_str());
        return false;
    }
    std::printf("Cópia concluida: %s tem %lld registos e é igual à cópia byte a byte: %s.\n",
                reposta.base.c_str(), static_cast<long long>(reposta.registos),
                reposta.igual_a_copia ? "sim" : "não");

    return true;
}

// A copy of the project whose main structure was made to differ, started
// and verified, to show what a difference looks like.
bool mostra_divergente(const demonstracao::Projecto& p, const std::string& caminho) {
    titulo("Verificação de uma cópia com a estrutura alterada");
    std::vector<std::string> alteracoes;
    const demonstracao::Projecto divergente =
        demonstracao::prepara_divergente(p, caminho + "-estrutura-diferente", alteracoes);
    std::printf("Pasta: %s\nNa estrutura da base principal:\n", divergente.pasta.c_str());
    for (const std::string& a : alteracoes) std::printf("  %s\n", a.c_str());
    if (demonstracao::arranca(divergente, std::string(kProjectoDemo) + "-divergente",
                              "Cópia com a estrutura alterada",
                              true) != operacoes::Arranque::Pronto) {
        std::printf("O arranque da cópia falhou.\n");
        return false;
    }
    mostra_verificacao();

    return true;
}

}  // namespace

// The main job end to end on a project of its own: the project is made (or
// found), started as the management application starts it, every
// registered database is copied, the copies are listed and one restored
// into a scratch copy of the project, every database is compacted and
// verified; then a copy whose structure was made to differ is verified,
// to show what a difference looks like.
int demo(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {}, {});
    args.exige_posicionais(0, 1);
    const std::string caminho =
        args.posicionais().empty() ? demonstracao::pasta_por_omissao() : args.posicionais()[0];

    titulo("Projecto de demonstração");
    std::printf("Pasta: %s\n", caminho.c_str());
    const demonstracao::Projecto p = demonstracao::prepara(caminho, 500);
    for (const demonstracao::Base& base : p.bases) {
        std::printf("  %-18s %3zu tabelas %8lld registos  estrutura %s\n", base.ficheiro.c_str(),
                    base.tabelas, static_cast<long long>(base.registos), base.estrutura.c_str());
    }

    titulo("Arranque do projecto (registo de cópias)");
    if (demonstracao::arranca(p, kProjectoDemo, "Projecto de demonstração") !=
        operacoes::Arranque::Pronto) {
        std::printf("O arranque do projecto falhou.\n");
        return kFalhou;
    }
    const std::vector<operacoes::BaseRegistada> registo = operacoes::registo_copias();
    mostra_registo(registo);

    titulo("Cópias de segurança de todas as bases de dados");
    std::vector<std::string> todas;
    for (const operacoes::BaseRegistada& b : registo) todas.push_back(b.nome_bd);
    const int saida = corre_copias(todas);
    std::printf("\nCópias em %s:\n", p.pasta_copias.c_str());
    mostra_copias(p.pasta_copias);

    if (!mostra_reposicao(p, caminho)) return kFalhou;

    titulo("Compactação de todas as bases de dados");
    espera_minuto_livre(p);
    const int compactacao = corre_compactacao(std::nullopt);
    std::printf("\nFicheiros em %s:\n", p.pasta.c_str());
    mostra_copias(p.pasta);

    titulo("Verificação da integridade");
    const bool consistente = mostra_verificacao();

    if (!mostra_divergente(p, caminho)) return kFalhou;

    titulo("Projectos registados neste posto");
    for (const operacoes::Projecto& e : operacoes::lista_projectos()) {
        std::printf("  %s - %s (%s/%s)\n", e.nome.c_str(), e.descr.c_str(), e.caminho.c_str(),
                    e.nome_bd.c_str());
    }
    titulo("Abrir a demonstração nas janelas");
    std::printf(
        "Execute pezolva sem argumentos, escolha o projecto %s e dê a palavra-passe\n"
        "%s (a da demonstração: é pública e não protege nada).\n",
        kProjectoDemo, demonstracao::palavra_passe().c_str());
    if (saida != kSucesso) return saida;
    if (compactacao != kSucesso) return compactacao;
    return consistente ? kSucesso : kFalhou;
}

}  // namespace pezolva::cli
