#include "integrity/relatorio.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pezolva::integrity {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

Diferenca relacao_em_falta() {
    Diferenca d;
    d.tipo = TipoDiferenca::RelacaoEmFalta;
    d.lado = "/p/brasol.mdb";
    d.outro = "/p/brasol.ebd";
    d.relacao = "r";
    return d;
}

TEST(Relatorio, EachKindOfLineGoesToItsTextsInOrderAndIsShownAsItComes) {
    Relatorio r;
    std::vector<std::pair<std::string, bool>> mostradas;
    r.ao_registar = [&](const std::string& linha, bool erro) {
        mostradas.emplace_back(linha, erro);
    };
    const std::string diferenca = "A relação /p/brasol.mdb!r não existe na BD /p/brasol.ebd";

    r.regista_linha("A verificar base de dados a com b.");
    EXPECT_TRUE(r.sem_erros()) << "a line of the log alone is no error";
    r.regista_diferenca(relacao_em_falta());
    r.regista_erro("3043 - Falha de leitura.");
    r.regista_linha("Concluido.");

    EXPECT_FALSE(r.sem_erros());
    EXPECT_THAT(r.erros(), ElementsAre(diferenca, "3043 - Falha de leitura."));
    EXPECT_THAT(r.registo(), ElementsAre("A verificar base de dados a com b.", diferenca,
                                         "3043 - Falha de leitura.", "Concluido."));
    ASSERT_EQ(r.diferencas().size(), 1u);
    EXPECT_EQ(r.diferencas()[0].relacao, "r");
    EXPECT_THAT(r.falhas(), ElementsAre("3043 - Falha de leitura."))
        << "a difference is no failure";
    EXPECT_THAT(
        mostradas,
        ElementsAre(Pair("A verificar base de dados a com b.", false), Pair(diferenca, true),
                    Pair("3043 - Falha de leitura.", true), Pair("Concluido.", false)));
}

TEST(Relatorio, ANewRunStartsFromEmptyTexts) {
    Relatorio r;
    r.regista_diferenca(relacao_em_falta());
    r.regista_erro("3043 - Falha de leitura.");
    r.regista_linha("Concluido.");
    r.limpa();
    EXPECT_TRUE(r.sem_erros());
    EXPECT_THAT(r.erros(), IsEmpty());
    EXPECT_THAT(r.registo(), IsEmpty());
    EXPECT_THAT(r.diferencas(), IsEmpty());
    EXPECT_THAT(r.falhas(), IsEmpty());
}

TEST(JuntaLinhas, CrLfBetweenLinesAndNothingAfterTheLast) {
    EXPECT_EQ(junta_linhas({}), "");
    EXPECT_EQ(junta_linhas({"a"}), "a");
    EXPECT_EQ(junta_linhas({"a", "", "c"}), "a\r\n\r\nc");
}

}  // namespace
}  // namespace pezolva::integrity
