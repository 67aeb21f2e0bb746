#include "interface/projectos.h"

#include "common/text.h"
#include "common/value.h"

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

void regista_projecto(SettingsStore& settings, ProjectoActual& actual, const std::string& caminho,
                      const std::string& projecto, const std::string& nome_bd,
                      const std::string& descr, const std::string& passwd, bool vem_de_pezolva) {
    actual.vem_de_pezolva = vem_de_pezolva;
    actual.caminho = caminho;
    actual.projecto = projecto;
    actual.nome_bd = nome_bd;
    actual.passwd = passwd;

    const std::string nomes = settings.get(kAplicacao, kSeccaoProjectos, kChaveNomes, "");
    if (!esta_registado(nomes, projecto)) {
        const std::string agora = settings.get(kAplicacao, kSeccaoProjectos, kChaveNomes, "");
        settings.save(kAplicacao, kSeccaoProjectos, kChaveNomes,
                      agora.empty() ? projecto : agora + ";" + projecto);
        settings.save(kAplicacao, projecto, "ultima_copia", "");
        const std::string origem = settings.get(projecto, "setup", "ORIGEM", "POSTO");
        settings.save(kAplicacao, projecto, "faz_copias",
                      iequals(origem, "PRINCIPAL") ? "True" : "False");
    }

    // One damaged value must not stop the host from starting: anything that
    // is not a Yes/No text reads as the default.
    actual.faz_copias =
        Value(settings.get(kAplicacao, projecto, "faz_copias", "True")).to_boolean().value_or(true);

    settings.save(kAplicacao, projecto, "path", caminho);
    settings.save(kAplicacao, projecto, "nome_bd", nome_bd);
    settings.save(kAplicacao, projecto, "descr", descr);
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
