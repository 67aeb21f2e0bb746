#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cli.h"
#include "comandos.h"
#include "common/file_system.h"
#include "copias_terminal.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "project/projectos.h"
#include "pezolva/mnt.h"
#include "register/percurso.h"
#include "register/bups.h"
#include "testproject/projecto_teste.h"

namespace pezolva::cli {
namespace {

constexpr const char* kProjectoDemo = "pezolva-demo";

std::string pasta_por_omissao() { return pasta_xdg("XDG_DATA_HOME", ".local/share", "pezolva/demo"); }

void titulo(const char* texto) { std::printf("\n== %s ==\n", texto); }

void mostra_registo(engine::Recordset& registo) {
    std::printf("%-18s %8s %7s  %-14s %s\n", "Base de dados", "Dias", "Cópias", "Estrutura",
                "Destino");
    cada_linha(registo, [](const engine::Recordset& linhas) {
        std::printf("%-18s %8s %7s  %-14s %s\n", linhas[bups::kNomeBd].to_text().c_str(),
                    linhas[bups::kDiasIntervalo].to_text().c_str(),
                    linhas[bups::kCopiasAManter].to_text().c_str(),
                    linhas[bups::kUltNomeEstrutura].to_text().c_str(),
                    linhas[bups::kCaminhoDestino].to_text().c_str());
    });
}

void mostra_copias(FileSystem& files, const std::string& pasta) {
    std::vector<std::string> nomes = files.list_files(pasta);
    std::sort(nomes.begin(), nomes.end());
    for (const std::string& nome : nomes) {
        if (nome.front() == '.') continue;
        std::printf("  %-34s %12llu bytes\n", nome.c_str(),
                    static_cast<unsigned long long>(
                        files.file_size(join_path(pasta, nome)).value_or(0)));
    }
}

}  // namespace

// The main job end to end on a project of its own: the project is made (or
// found), started as the management application starts it, and every
// registered database is copied.
int demo(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {}, {});
    args.exige_posicionais(0, 1);
    std::string caminho = args.posicionais().empty() ? pasta_por_omissao() : args.posicionais()[0];
    FileSystem& files = servicos().files;

    titulo("Projecto de demonstração");
    std::printf("Pasta: %s\n", caminho.c_str());
    testproject::Opcoes opcoes;
    opcoes.linhas = 500;
    const testproject::Projecto p = testproject::reutiliza_ou_cria(caminho, opcoes);
    for (const testproject::BaseDados* base : p.bases()) {
        std::int64_t linhas = 0;
        for (const auto& [tabela, n] : base->linhas) linhas += n;
        std::printf("  %-18s %3zu tabelas %8lld registos  estrutura %s\n",
                    file_name_of(base->caminho).c_str(), base->linhas.size(),
                    static_cast<long long>(linhas), file_name_of(base->estrutura).c_str());
    }

    titulo("Arranque do projecto (registo de cópias)");
    std::string projecto = kProjectoDemo, nome_bd = testproject::kPrincipal;
    std::string descr = "Projecto de demonstração", passwd = testproject::kPassePrincipal;
    bool vem_de_pezolva = false;
    pezolva::mnt m;
    if (!m.actualiza_path(caminho, projecto, nome_bd, descr, passwd, vem_de_pezolva)) {
        std::printf("O arranque do projecto falhou.\n");
        return kFalhou;
    }
    const ProjectoActual& actual = estado().projecto_actual;
    engine::Database principal =
        engine::OpenDatabase(actual.base_principal(), false, false, actual.ligacao());
    engine::Recordset registo = principal.OpenRecordset("select * from BUPS");
    mostra_registo(registo);

    titulo("Cópias de segurança de todas as bases de dados");
    const int saida = corre_copias(actual, registo, nomes_das_bases(registo));
    const std::string pasta_copias = join_path(actual.caminho, bups::kPastaCopias);
    std::printf("\nCópias em %s:\n", pasta_copias.c_str());
    mostra_copias(files, pasta_copias);

    titulo("Projectos registados neste posto");
    for (const auto& e : lista_projectos(servicos().settings)) {
        std::printf("  %s - %s (%s/%s)\n", e.nome.c_str(), e.descr.c_str(), e.caminho.c_str(),
                    e.nome_bd.c_str());
    }
    return saida;
}

}  // namespace pezolva::cli
