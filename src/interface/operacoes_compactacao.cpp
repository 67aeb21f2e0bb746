// The unattended compaction and re-install.
#include "common/text.h"
#include "compaction/era_readonly.h"
#include "compaction/faz_jetcomp_a_tudo.h"
#include "compaction/reinstala_posto.h"
#include "engine/database.h"
#include "engine/interruption.h"
#include "interface/compactacao_anfitriao.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "pezolva/compactacao.h"
#include "register/bups.h"

namespace pezolva::operacoes {
namespace {

// The password of the database `nome_bd` of the current project: the
// project's own for the main database, its register row's for the others.
std::string palavra_passe_de(const std::string& nome_bd) {
    const ProjectoActual& p = estado().projecto_actual;
    if (iequals(nome_bd, p.nome_bd)) return p.passwd;
    engine::Database principal = engine::OpenDatabase(p.base_principal(), false, true, p.ligacao());
    for (engine::Recordset r = principal.OpenRecordset("select * from bups"); !r.IsEOF();
         r.MoveNext()) {
        if (iequals(r[bups::kNomeBd].to_text(), nome_bd))
            return nulo_para(r[bups::kPasswd], "").to_text();
    }
    throw engine::EngineError(
        engine::ErroItemInexistente,
        "A base de dados " + nome_bd + " não está no registo do projecto " + p.projecto + ".");
}

}  // namespace

ResultadoCompactacao compacta_bases(const std::optional<std::string>& nome_bd,
                                    const std::function<void(const std::string&)>& a_compactar,
                                    const std::function<void(const BaseCompactada&)>& compactada) {
    return para_o_anfitriao([&] {
        exige_projecto();
        const ProjectoActual& p = estado().projecto_actual;
        AmbienteCompactacao ambiente;
        ambiente.projecto = p.projecto;
        ambiente.pastas_programa = pastas_dos_programas();
        ResultadoCompactacao resultado;
        std::vector<BaseCompactada>& resultados = resultado.bases;
        // For the run's length a signal stops the tool and the loop, and
        // what the tool wrote is removed, rather than the host dying
        // half-way.
        const engine::SignalInterruption sinais;
        const auto regista = [&](const std::string& nome, bool ok, const DetalheCompactacao& d) {
            resultados.push_back({nome, ok, ok ? d.antiga : "", ok ? "" : d.causa});
            if (compactada) compactada(resultados.back());
        };
        if (nome_bd) {
            const std::string passwd = palavra_passe_de(*nome_bd);
            if (a_compactar) a_compactar(*nome_bd);
            DetalheCompactacao d;
            const bool ok =
                compacta_bd(servicos(), ambiente, p.caminho, *nome_bd, passwd, false, &d);
            regista(*nome_bd, ok, d);
        } else {
            pezolva::faz_jetcomp_a_tudo(
                servicos(), ambiente, p,
                [](const std::string& nfich) {
                    return era_readonly(servicos().files, servicos().dialogs, nfich);
                },
                regista, a_compactar);
        }
        resultado.sinal = engine::interruption_requested();
        // The request would stop every later statement of this process.
        engine::clear_interruption();
        return resultado;
    });
}

bool reinstala_posto() {
    return para_o_anfitriao([] {
        exige_projecto();
        return pezolva::reinstala_posto(servicos().files, servicos().dialogs,
                                        estado().projecto_actual.caminho, espera_no_terminal);
    });
}

}  // namespace pezolva::operacoes
