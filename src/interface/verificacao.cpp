// The unattended verification: the run of the verification window on the
// current project, with its report as plain values.
#include "pezolva/verificacao.h"

#include "common/text.h"
#include "integrity/execucao.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"

namespace pezolva::verificacao {
namespace {

Diferenca para_o_anfitriao(const integrity::Diferenca& d) {
    Diferenca p;
    p.tipo = integrity::nome_tipo(d.tipo);
    p.base = d.base;
    p.estrutura = d.estrutura;
    p.lado = d.lado == d.base ? "base" : "estrutura";
    p.tabela = d.tabela;
    p.campo = d.campo;
    p.indice = d.indice;
    p.relacao = d.relacao;
    p.valor = d.valor;
    p.valor_outro = d.valor_outro;
    p.linha = integrity::linha(d);
    return p;
}

}  // namespace

Resultado verifica(const std::function<void(const std::string& linha)>& linha) {
    return pezolva::para_o_anfitriao([&] {
        exige_projecto();
        integrity::EstadoVerificacao contadores;
        integrity::Relatorio relatorio;
        if (linha) relatorio.ao_registar = [&](const std::string& l, bool) { linha(linhas_lf(l)); };
        const integrity::FimVerificacao fim =
            integrity::verifica_projecto(estado().projecto_actual, contadores, relatorio);
        Resultado r;
        r.terminou = fim == integrity::FimVerificacao::Concluida;
        for (const std::string& l : relatorio.registo()) r.registo.push_back(linhas_lf(l));
        for (const std::string& l : relatorio.falhas()) r.erros.push_back(linhas_lf(l));
        for (const integrity::Diferenca& d : relatorio.diferencas())
            r.diferencas.push_back(para_o_anfitriao(d));
        return r;
    });
}

}  // namespace pezolva::verificacao
