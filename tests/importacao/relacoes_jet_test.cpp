#include "importacao/relacoes_jet.h"

#include <gtest/gtest.h>

namespace pezolva::importacao {
namespace {

// One row a field: grouped by relation, fields in key order whatever the
// rows' order, and the flags read from grbit.
TEST(RelacoesJet, RowsGroupIntoRelationsWithTheirFieldsInOrder) {
    std::vector<LinhaRelacao> linhas = {
        {"ClientesEncomendas", "Clientes", "Id", "Encomendas", "Cliente", 0, 4096},
        {"LinhasArtigos", "Artigos", "Serie", "Linhas", "ArtSerie", 1, 256 | 2},
        {"LinhasArtigos", "Artigos", "Numero", "Linhas", "ArtNumero", 0, 256 | 2},
    };
    const std::vector<RelacaoJet> r = agrupa_relacoes(linhas);
    ASSERT_EQ(r.size(), 2u);
    const RelacaoJet& a = r[0].nome == "LinhasArtigos" ? r[0] : r[1];
    const RelacaoJet& b = r[0].nome == "LinhasArtigos" ? r[1] : r[0];
    EXPECT_EQ(a.tabela, "Artigos");
    EXPECT_EQ(a.tabela_estrangeira, "Linhas");
    ASSERT_EQ(a.campos.size(), 2u);
    EXPECT_EQ(a.campos[0], std::make_pair(std::string("Numero"), std::string("ArtNumero")));
    EXPECT_EQ(a.campos[1], std::make_pair(std::string("Serie"), std::string("ArtSerie")));
    EXPECT_FALSE(a.imposta);
    EXPECT_TRUE(a.cascata_actualizacoes);
    EXPECT_FALSE(a.cascata_eliminacoes);
    EXPECT_TRUE(b.imposta);
    EXPECT_TRUE(b.cascata_eliminacoes);
    EXPECT_FALSE(b.cascata_actualizacoes);
}

}  // namespace
}  // namespace pezolva::importacao
