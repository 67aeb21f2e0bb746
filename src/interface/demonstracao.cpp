// The demonstration project for hosts: the test-project builder behind a
// public entry, its passwords kept inside the component.
#include "pezolva/demonstracao.h"

#include "common/file_system.h"
#include "common/text.h"
#include "engine/error.h"
#include "interface/para_o_anfitriao.h"
#include "register/bups.h"
#include "testproject/projecto_teste.h"

namespace pezolva::demonstracao {
namespace {

Base descreve(const testproject::BaseDados& base) {
    Base b;
    b.ficheiro = file_name_of(base.caminho);
    b.estrutura = file_name_of(base.estrutura);
    b.tabelas = base.linhas.size();
    for (const auto& [tabela, n] : base.linhas) b.registos += n;
    return b;
}

}  // namespace

std::string pasta_por_omissao() {
    return pasta_xdg("XDG_DATA_HOME", ".local/share", "pezolva/demo");
}

Projecto prepara(const std::string& pasta, std::int64_t linhas) {
    return para_o_anfitriao([&] {
        testproject::Opcoes opcoes;
        opcoes.linhas = linhas;
        testproject::Projecto p;
        try {
            p = testproject::reutiliza_ou_cria(pasta, opcoes);
        } catch (const testproject::ErroProjecto& e) {
            throw erro(engine::ErroMotor, e.what());
        }
        Projecto feito{p.pasta, file_name_of(p.principal.caminho),
                       join_path(p.pasta, bups::kPastaCopias), {}};
        for (const testproject::BaseDados* base : p.bases()) feito.bases.push_back(descreve(*base));
        return feito;
    });
}

operacoes::Arranque arranca(const Projecto& projecto, const std::string& nome,
                            const std::string& descr, bool vem_de_pezolva) {
    return operacoes::arranca_projecto({nome, descr, projecto.pasta, projecto.nome_bd},
                                       testproject::kPassePrincipal, vem_de_pezolva);
}

}  // namespace pezolva::demonstracao
