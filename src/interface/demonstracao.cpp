// The demonstration project for hosts: the test-project builder behind a
// public entry, its passwords kept inside the component.
#include "pezolva/demonstracao.h"

#include "common/clock.h"
#include "common/file_system.h"
#include "common/text.h"
#include "compaction/nomes_compactacao.h"
#include "engine/database.h"
#include "engine/delete_database.h"
#include "engine/error.h"
#include "engine/quoting.h"
#include "engine/temporary_files.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "register/bups.h"
#include "restore/reposicao.h"
#include "restore/sobras_reposicao.h"
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
        Projecto feito{
            p.pasta, file_name_of(p.principal.caminho), join_path(p.pasta, bups::kPastaCopias), {}};
        for (const testproject::BaseDados* base : p.bases()) feito.bases.push_back(descreve(*base));
        return feito;
    });
}

std::string palavra_passe() { return testproject::kPassePrincipal; }

operacoes::Arranque arranca(const Projecto& projecto, const std::string& nome,
                            const std::string& descr, bool vem_de_pezolva) {
    return operacoes::arranca_projecto({nome, descr, projecto.pasta, projecto.nome_bd},
                                       testproject::kPassePrincipal, vem_de_pezolva);
}

bool minuto_da_compactacao_ocupado(const Projecto& projecto) {
    return para_o_anfitriao([&] {
        const DateTime agora = servicos().clock.now();
        for (const Base& b : projecto.bases) {
            const std::optional<std::string> antiga = nome_antiga(b.ficheiro, agora);
            if (antiga && servicos().files.exists(join_path(projecto.pasta, *antiga))) return true;
        }
        return false;
    });
}

ReposicaoRascunho repoe_num_rascunho(const Projecto& projecto, const operacoes::CopiaListada& copia,
                                     const std::string& pasta) {
    return para_o_anfitriao([&] {
        LocalFileSystem files;
        create_directories(files, pasta);
        const testproject::Projecto original = testproject::reutiliza_ou_cria(projecto.pasta);
        const testproject::BaseDados* alvo = nullptr;
        for (const testproject::BaseDados* base : original.bases()) {
            const std::string ficheiro = file_name_of(base->caminho);
            engine::delete_database(files, join_path(pasta, ficheiro));
            files.copy_file(base->caminho, join_path(pasta, ficheiro));
            if (!base->estrutura.empty()) {
                const std::string estrutura = join_path(pasta, file_name_of(base->estrutura));
                if (files.exists(estrutura)) files.remove(estrutura);
                files.copy_file(base->estrutura, estrutura);
            }
            if (iequals(ficheiro, copia.bd + ".mdb")) alvo = base;
        }
        ReposicaoRascunho feita;
        if (alvo == nullptr) {
            feita.falha = "A cópia " + copia.nome_fich + " não é de uma base de dados do projecto.";
            return feita;
        }
        feita.base = join_path(pasta, file_name_of(alvo->caminho));
        // What a failing disk leaves: the first pages gone.
        std::string bytes = files.read_file(feita.base).value_or("");
        bytes.replace(0, std::min<std::size_t>(bytes.size(), 8192),
                      std::min<std::size_t>(bytes.size(), 8192), '\0');
        files.write_file_atomic(feita.base, bytes);

        SystemRandom random;
        const std::string fonte = join_path(copia.caminho, copia.nome_fich);
        restore::recupera_reposicoes(files, pasta);
        feita.falha = restore::repoe_copia(
            files, {fonte, pasta, copia.bd, alvo->ligacao(), engine::random_token(random)});
        if (feita.falha) return feita;
        feita.igual_a_copia = files.read_file(feita.base) == files.read_file(fonte);
        testproject::BaseDados reposta = *alvo;
        reposta.caminho = feita.base;
        engine::Database db = testproject::abre(reposta);
        // The copy holds the tables of its structure, the register aside.
        const auto tabelas = db.TableDefs();
        for (std::size_t i = 0; i < tabelas.Count(); ++i) {
            const std::string& tabela = tabelas[i].Name();
            if (alvo->linhas.count(tabela) == 0) continue;
            feita.registos +=
                db.OpenRecordset("SELECT COUNT(*) FROM " + engine::quote_identifier(tabela))
                    .Fields(std::size_t{0})
                    .to_integer()
                    .value_or(0);
        }
        return feita;
    });
}

}  // namespace pezolva::demonstracao
