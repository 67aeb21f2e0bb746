#include "integrity/diferenca.h"

namespace pezolva::integrity {

std::string linha(const Diferenca& d) {
    const auto campo = [](const std::string& lado, const std::string& tabela,
                          const std::string& nome) { return lado + "!" + tabela + "!" + nome; };
    switch (d.tipo) {
        case TipoDiferenca::Versoes:
            return "As bases de dados " + d.base + " e " + d.estrutura + " têm versões diferentes.";
        case TipoDiferenca::SemVersao:
            return "A base de dados " + d.lado + " " + "não tem registo de versão.";
        case TipoDiferenca::TabelaEmFalta:
            return "A tabela " + d.lado + "!" + d.tabela + " não existe na base de dados " +
                   d.outro + ".";
        case TipoDiferenca::Tamanho:
            return "O campo " + campo(d.lado, d.tabela, d.campo) + " tem tamanho " + d.valor +
                   " e o campo " + campo(d.outro, d.tabela_outro, d.campo_outro) + " tem tamanho " +
                   d.valor_outro;
        case TipoDiferenca::Tipo:
            return "O campo " + campo(d.lado, d.tabela, d.campo) + " tem tipo " + d.valor +
                   " e o campo " + campo(d.outro, d.tabela_outro, d.campo_outro) + " tem tipo " +
                   d.valor_outro;
        case TipoDiferenca::CampoEmFalta:
            return "O campo " + campo(d.lado, d.tabela, d.campo) + " não existe na BD " + d.outro;
        case TipoDiferenca::IndiceEmFalta:
            return "O índice " + campo(d.lado, d.tabela, d.indice) + " não existe na BD " + d.outro;
        case TipoDiferenca::RelacaoEmFalta:
            return "A relação " + d.lado + "!" + d.relacao + " não existe na BD " + d.outro;
    }
    return {};
}

const char* nome_tipo(TipoDiferenca tipo) {
    switch (tipo) {
        case TipoDiferenca::Versoes:
            return "versoes";
        case TipoDiferenca::SemVersao:
            return "sem_versao";
        case TipoDiferenca::TabelaEmFalta:
            return "tabela_em_falta";
        case TipoDiferenca::Tamanho:
            return "tamanho";
        case TipoDiferenca::Tipo:
            return "tipo";
        case TipoDiferenca::CampoEmFalta:
            return "campo_em_falta";
        case TipoDiferenca::IndiceEmFalta:
            return "indice_em_falta";
        case TipoDiferenca::RelacaoEmFalta:
            return "relacao_em_falta";
    }
    return "";
}

}  // namespace pezolva::integrity
