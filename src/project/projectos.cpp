#include "project/projectos.h"

#include <algorithm>

#include "common/text.h"
#include "common/value.h"
#include "engine/error.h"

namespace pezolva {
namespace {

bool esta_registado(const std::string& nomes, const std::string& projecto) {
    std::string resto = nomes, nome;
    while (true) {
        separa_primeiro(resto, ';', nome, resto);
        if (iequals(nome, projecto)) return true;
        if (resto.empty()) return false;
    }
}

}  // namespace

void valida_nome_projecto(const std::string& projecto) {
    const bool controlo = std::any_of(projecto.begin(), projecto.end(),
                                      [](unsigned char c) { return c < 0x20 || c == 0x7F; });
    if (projecto.empty() || trim(projecto) != projecto || controlo ||
        projecto.find_first_of(";[]") != std::string::npos) {
        throw engine::EngineError(
            engine::ErroArgumento,
            "O nome de projecto '" + projecto +
                "' não pode ser usado: não pode estar vazio, começar ou acabar em espaço, nem "
                "conter ';', '[', ']' ou mudanças de linha.");
    }
}

void regista_projecto(SettingsStore& settings, ProjectoActual& actual, const std::string& caminho,
                      const std::string& projecto, const std::string& nome_bd,
                      const std::string& descr, const std::string& passwd, bool vem_de_pezolva) {
    valida_nome_projecto(projecto);
    actual.vem_de_pezolva = vem_de_pezolva;
    actual.caminho = caminho;
    actual.projecto = projecto;
    actual.nome_bd = nome_bd;
    actual.passwd = passwd;

    // One read-modify-write: a program registering another project at the
    // same moment waits, and neither name is lost.
    std::string faz_copias;
    settings.edit(kAplicacao, [&](SettingsEdit& zolva) {
        const std::string nomes = zolva.get(kSeccaoProjectos, kChaveNomes, "");
        if (!esta_registado(nomes, projecto)) {
            zolva.set(kSeccaoProjectos, kChaveNomes,
                      nomes.empty() ? projecto : nomes + ";" + projecto);
            zolva.set(projecto, "ultima_copia", "");
            const std::string origem = settings.get(projecto, "setup", "ORIGEM", "POSTO");
            zolva.set(projecto, "faz_copias", iequals(origem, "PRINCIPAL") ? "True" : "False");
        }
        faz_copias = zolva.get(projecto, "faz_copias", "True");
        zolva.set(projecto, "path", caminho);
        zolva.set(projecto, "nome_bd", nome_bd);
        zolva.set(projecto, "descr", descr);
    });

    // One damaged value must not stop the host from starting: anything that
    // is not a Yes/No text reads as the default.
    actual.faz_copias = Value(faz_copias).to_boolean().value_or(true);
}

std::vector<EntradaProjecto> lista_projectos(SettingsStore& settings) {
    std::string resto = trim(settings.get(kAplicacao, kSeccaoProjectos, kChaveNomes, ""));
    if (!resto.empty() && resto.front() == ';') resto = trim(resto.substr(1));
    std::vector<EntradaProjecto> lista;
    std::string nome;
    while (!resto.empty()) {
        separa_primeiro(resto, ';', nome, resto);
        if (nome.empty()) continue;
        lista.push_back({nome, trim(settings.get(kAplicacao, nome, "Descr", "")),
                         trim(settings.get(kAplicacao, nome, "nome_bd", "")),
                         trim(settings.get(kAplicacao, nome, "path", ""))});
    }
    return lista;
}

bool selecciona_projectos(SettingsStore& settings, Dialogs& dialogs, const EscolheProjecto& escolhe,
                          std::vector<EntradaProjecto>& lista, std::string& nome_proj,
                          std::string& descr, std::string& caminho, std::string& nome_bd,
                          bool& ha_mais) {
    lista = lista_projectos(settings);
    ha_mais = false;
    if (lista.empty()) {
        informa(dialogs,
                "Não existem projectos PELVOR neste posto. Por favor, inicie a aplicação para a "
                "qual quer realizar a manutenção, saia e execute a manutenção de novo.",
                "Atenção", Icon::Information);
        return false;
    }
    int escolhido = 0;
    if (lista.size() > 1) {
        escolhido = escolhe(lista);
        if (escolhido < 0 || escolhido >= static_cast<int>(lista.size())) return false;
    }
    const EntradaProjecto& e = lista[static_cast<std::size_t>(escolhido)];
    nome_proj = e.nome;
    descr = e.descr;
    caminho = e.caminho;
    nome_bd = e.nome_bd;
    ha_mais = true;
    return true;
}

}  // namespace pezolva
