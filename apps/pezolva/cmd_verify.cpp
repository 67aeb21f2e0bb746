#include <cstdio>

#include "cli.h"
#include "comandos.h"
#include "json.h"
#include "projecto_terminal.h"
#include "pezolva/verificacao.h"

namespace pezolva::cli {
namespace {

// One difference as a JSON object, its keys in a fixed order.
std::string diferenca_json(const verificacao::Diferenca& d) {
    const std::pair<const char*, const std::string*> campos[] = {
        {"tipo", &d.tipo},       {"base", &d.base},       {"estrutura", &d.estrutura},
        {"lado", &d.lado},       {"tabela", &d.tabela},   {"campo", &d.campo},
        {"indice", &d.indice},   {"relacao", &d.relacao}, {"valor", &d.valor},
        {"valor_outro", &d.valor_outro}, {"linha", &d.linha}};
    std::string out = "{";
    for (const auto& [nome, valor] : campos) {
        out += (out.size() > 1 ? ", " : "") + texto_json(nome) + ": " + texto_json(*valor);
    }
    return out + "}";
}

std::string resultado_json(const std::string& projecto, const verificacao::Resultado& r) {
    std::string diferencas = "[";
    for (std::size_t i = 0; i < r.diferencas.size(); ++i) {
        diferencas += (i ? ",\n  " : "\n  ") + diferenca_json(r.diferencas[i]);
    }
    diferencas += r.diferencas.empty() ? "]" : "\n ]";
    return "{\"projecto\": " + texto_json(projecto) + ",\n \"terminou\": " + (r.terminou ? "true" : "false") +
           ",\n \"consistente\": " + (r.consistente() ? "true" : "false") + ",\n \"diferencas\": " + diferencas +
           ",\n \"erros\": " + lista_json(r.erros) + ",\n \"registo\": " + lista_json(r.registo) + "}";
}

}  // namespace

// Makes the project current as the launcher does, then verifies every
// registered database against its structure as the verification window
// does.  Exit status 1 when a difference was found or the run could not
// reach the end of the register.
int verify(const std::vector<std::string>& raw) {
    const Argumentos args(raw, {"--project", "--password-file"}, {"--json"});
    args.exige_posicionais(0, 0);
    const std::optional<operacoes::Projecto> projecto = arranca_projecto_indicado(args);
    if (!projecto) return kFalhou;

    if (args.tem("--json")) {
        const verificacao::Resultado r = verificacao::verifica();
        std::printf("%s\n", resultado_json(projecto->nome, r).c_str());
        return r.consistente() ? kSucesso : kFalhou;
    }
    const verificacao::Resultado r = verificacao::verifica([](const std::string& linha) {
        std::printf("%s\n", linha.c_str());
        std::fflush(stdout);
    });
    if (r.consistente()) {
        std::printf("\nTodas as bases de dados estão de acordo com as suas estruturas.\n");
        return kSucesso;
    }
    std::printf("\nErros (%zu diferenças, %zu falhas):\n", r.diferencas.size(), r.erros.size());
    for (const verificacao::Diferenca& d : r.diferencas) std::printf("%s\n", d.linha.c_str());
    for (const std::string& e : r.erros) std::printf("%s\n", e.c_str());
    if (!r.terminou) std::printf("A verificação não chegou ao fim do registo.\n");
    return kFalhou;
}

}  // namespace pezolva::cli
