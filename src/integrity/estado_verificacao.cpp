#include "integrity/estado_verificacao.h"

namespace pezolva::integrity {

void EstadoVerificacao::limpa() {
    std::function<void()> quem_mostra = std::move(mostra_estado);
    const bool corre = a_verificar;
    *this = EstadoVerificacao{};
    mostra_estado = std::move(quem_mostra);
    a_verificar = corre;
}

void EstadoVerificacao::limpa_contadores() {
    n_bds = n_tabelas = n_campos = n_indices = n_relacoes = n_geral = n_bd = 0;
}

}  // namespace pezolva::integrity
