#include "compaction/faz_jetcomp_a_tudo.h"

#include "common/file_system.h"
#include "common/text.h"
#include "engine/database.h"
#include "engine/interruption.h"
#include "register/bups.h"

namespace pezolva {

bool faz_jetcomp_a_tudo(Services& s, const AmbienteCompactacao& a, const ProjectoActual& p,
                        const std::function<bool(const std::string&)>& era_readonly,
                        const DepoisDeCompactar& depois, const AntesDeCompactar& antes) {
    const auto compacta = [&](const std::string& nomebd, const std::string& passwd) {
        if (antes) antes(nomebd);
        DetalheCompactacao detalhe;
        const bool ok = compacta_bd(s, a, p.caminho, nomebd, passwd, false, &detalhe);
        if (depois) depois(nomebd, ok, detalhe);
        return ok;
    };
    if (!compacta(p.nome_bd, p.passwd)) return false;

    engine::Database principal =
        engine::OpenDatabase(p.base_principal(), false, false, p.ligacao());
    engine::Recordset registo = principal.OpenRecordset("select * from bups");
    bool todas = true;
    for (; !registo.IsEOF() && engine::interruption_requested() == 0; registo.MoveNext()) {
        const Value nome = registo[bups::kNomeBd];
        if (nome.is_null_or_empty() || iequals(nome.to_text(), p.nome_bd)) continue;
        const std::string nomebd = nome.to_text();
        if (era_readonly) era_readonly(join_path(p.caminho, nomebd));
        todas = compacta(nomebd, nulo_para(registo[bups::kPasswd], "").to_text()) && todas;
    }
    return todas;
}

std::string resumo_compactacao(const std::vector<CompactacaoFeita>& feitas) {
    if (feitas.empty()) return "Nenhuma base de dados foi compactada.";
    std::size_t compactadas = 0;
    std::string linhas;
    for (const CompactacaoFeita& f : feitas) {
        linhas += "\n" + f.nomebd;
        if (f.compactada) {
            ++compactadas;
            linhas += ": compactada; a anterior ficou em " + file_name_of(f.detalhe.antiga) + ".";
        } else {
            linhas += ": não foi compactada" +
                      (f.detalhe.causa.empty() ? "." : " (" + f.detalhe.causa + ").");
        }
    }
    return "Bases de dados compactadas: " + std::to_string(compactadas) + " de " +
           std::to_string(feitas.size()) + ".\n" + linhas;
}

}  // namespace pezolva
