#include <cstdio>

#include "comandos.h"
#include "json.h"
#include "pezolva/offsite.h"
#include "pezolva/reposicao.h"
#include "projecto_terminal.h"
#include "separador_milhares.h"

namespace pezolva::cli {
namespace {

// "2005-05-19T14:07" for the stamp "200505191407"; null for a stamp that
// is no date and time (a copy's name is not checked when it is listed).
std::string data_iso(const std::string& c) {
    const auto n = [&](std::size_t i, std::size_t k) { return std::stoi(c.substr(i, k)); };
    if (c.size() != 12 || c.find_first_not_of("0123456789") != std::string::npos) return "null";
    const int ano = n(0, 4), mes = n(4, 2), dia = n(6, 2), hora = n(8, 2), minuto = n(10, 2);
    static constexpr int kDias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bissexto = (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
    if (mes < 1 || mes > 12 || dia < 1 || dia > kDias[mes - 1] ||
        (mes == 2 && dia == 29 && !bissexto) || hora > 23 || minuto > 59) {
        return "null";
    }
    return "\"" + c.substr(0, 4) + "-" + c.substr(4, 2) + "-" + c.substr(6, 2) + "T" +
           c.substr(8, 2) + ":" + c.substr(10, 2) + "\"";
}

// The copies as a JSON array, one object a line, keys in a fixed order:
// those on disk, then those in the off-site repository ("onde").
void escreve_json(const operacoes::CopiasEncontradas& e,
                  const std::vector<operacoes::CopiaFora>& fora) {
    std::printf("[");
    const char* separa = "";
    for (const operacoes::CopiaListada& c : e.copias) {
        std::printf(
            "%s{\"nome\": %s, \"bd\": %s, \"data\": %s, \"carimbo\": %s, \"caminho\": %s, "
            "\"bytes\": %llu, \"onde\": \"local\"}",
            separa, texto_json(c.nome_fich).c_str(), texto_json(c.bd).c_str(),
            data_iso(c.carimbo).c_str(), texto_json(c.carimbo).c_str(),
            texto_json(c.caminho).c_str(), static_cast<unsigned long long>(c.bytes));
        separa = ",\n ";
    }
    for (const operacoes::CopiaFora& c : fora) {
        std::printf(
            "%s{\"nome\": %s, \"bd\": %s, \"data\": %s, \"carimbo\": %s, \"caminho\": %s, "
            "\"onde\": \"fora\", \"instantaneo\": %s}",
            separa, texto_json(c.nome_fich).c_str(), texto_json(c.bd).c_str(),
            data_iso(c.carimbo).c_str(), texto_json(c.carimbo).c_str(),
            texto_json(c.repositorio).c_str(), texto_json(c.id).c_str());
        separa = ",\n ";
    }
    std::printf("]\n");
}

void escreve_tabela(const operacoes::CopiasEncontradas& e,
                    const std::vector<operacoes::CopiaFora>& fora) {
    std::printf("%-34s %-16s %-16s %14s  %-5s %s\n", "Nome", "BD", "Data Cópia", "Tam. (Kbytes)",
                "Onde", "Caminho");
    for (const operacoes::CopiaListada& c : e.copias) {
        std::printf("%-34s %-16s %-16s %14s  %-5s %s\n", c.nome_fich.c_str(), c.bd.c_str(),
                    c.data.c_str(), c.tamanho.c_str(), "local", c.caminho.c_str());
    }
    for (const operacoes::CopiaFora& c : fora) {
        std::printf("%-34s %-16s %-16s %14s  %-5s %s\n", c.nome_fich.c_str(), c.bd.c_str(),
                    c.data.c_str(), "", "fora", c.repositorio.c_str());
    }
    if (e.copias.empty() && fora.empty()) std::printf("(nenhuma cópia encontrada)\n");
}

}  // namespace

// The copies the restore window would list, in its first order.
int copies(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {"--json"});
    args.exige_posicionais(0, 0);
    if (!arranca_projecto_indicado(args, true)) return kFalhou;
    const operacoes::CopiasEncontradas encontradas =
        operacoes::lista_copias(separador_de_milhares());
    if (encontradas.sem_registo) {
        std::fprintf(
            stderr,
            "Não foi possível aceder à base de dados actual: só as cópias da base de dados "
            "principal foram procuradas.\n");
    }
    std::fprintf(stderr, "Pastas procuradas:\n");
    for (const std::string& p : encontradas.pastas) std::fprintf(stderr, "  %s\n", p.c_str());
    // A repository that cannot be reached hides none of the local copies.
    std::vector<operacoes::CopiaFora> fora;
    int saida = kSucesso;
    try {
        fora = operacoes::lista_copias_fora();
    } catch (const erro& e) {
        std::fprintf(stderr, "pezolva: %s\n", e.what());
        saida = kFalhou;
    }
    if (args.tem("--json")) {
        escreve_json(encontradas, fora);
    } else {
        escreve_tabela(encontradas, fora);
    }
    return saida;
}

}  // namespace pezolva::cli
