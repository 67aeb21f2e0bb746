// The unattended operations on projects: the list, the password check and
// the start.
#include "pezolva/operacoes.h"

#include "common/file_system.h"
#include "common/text.h"
#include "engine/database.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "project/projectos.h"

namespace pezolva::operacoes {
namespace {

Projecto do_registo(const EntradaProjecto& e) { return {e.nome, e.descr, e.caminho, e.nome_bd}; }

// Whether the current project's main database opens with its password; an
// engine error is shown ("número - descrição", "Erro") and gives false.
bool base_principal_abre(const ProjectoActual& actual) {
    try {
        engine::OpenDatabase(actual.base_principal(), false, true, actual.ligacao()).Close();
        return true;
    } catch (const engine::EngineError& e) {
        informa(servicos().dialogs, std::to_string(e.numero()) + " - " + e.descricao(), "Erro",
                Icon::Critical);
        return false;
    }
}

}  // namespace

std::vector<Projecto> lista_projectos() {
    return para_o_anfitriao([] {
        std::vector<Projecto> lista;
        for (const EntradaProjecto& e : pezolva::lista_projectos(servicos().settings)) {
            lista.push_back(do_registo(e));
        }
        return lista;
    });
}

std::optional<Projecto> procura_projecto(const std::string& nome) {
    std::optional<Projecto> encontrado;
    for (const Projecto& p : lista_projectos()) {
        if (iequals(p.nome, nome)) encontrado = p;
    }
    return encontrado;
}

bool palavra_passe_abre(const Projecto& projecto, const std::string& passwd) {
    return para_o_anfitriao([&] {
        try {
            engine::OpenDatabase(join_path(projecto.caminho, projecto.nome_bd), false, true,
                                 ";pwd=" + passwd)
                .Close();
        } catch (const engine::EngineError& e) {
            return e.numero() != engine::ErroPalavraPasse;
        }
        return true;
    });
}

Arranque arranca_projecto(const Projecto& projecto, const std::string& passwd,
                          bool vem_de_pezolva) {
    std::string caminho = projecto.caminho, nome = projecto.nome, nome_bd = projecto.nome_bd,
                descr = projecto.descr, palavra = passwd;
    pezolva::mnt m;
    if (!m.actualiza_path(caminho, nome, nome_bd, descr, palavra, vem_de_pezolva)) {
        return Arranque::Recusado;
    }
    return para_o_anfitriao([] {
        const ProjectoActual& actual = estado().projecto_actual;
        // actualiza_path goes on past a missing main database, after saying
        // so: there is no project to work on.
        if (!servicos().files.exists(actual.base_principal())) return Arranque::SemBasePrincipal;
        return base_principal_abre(actual) ? Arranque::Pronto : Arranque::NaoAbre;
    });
}

void mostra_erro(const std::exception& e) {
    const auto* do_componente = dynamic_cast<const erro*>(&e);
    const int numero = do_componente != nullptr ? do_componente->numero() : engine::ErroMotor;
    informa(servicos().dialogs, std::to_string(numero) + " - " + e.what(), "Erro", Icon::Critical);
}

}  // namespace pezolva::operacoes
