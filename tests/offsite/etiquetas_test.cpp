#include "offsite/etiquetas.h"

#include <gtest/gtest.h>

namespace pezolva::offsite {
namespace {

TEST(EtiquetasTest, NamesWithCommasAndOddCharactersSurviveTheTagList) {
    for (const std::string nome : {"obras", "Obras, Lda", "a=b", "100%", "çã é", "x/y z", ""}) {
        const std::string e = codifica(nome);
        EXPECT_EQ(e.find_first_of(", =/"), std::string::npos) << e;
        EXPECT_EQ(descodifica(e), nome);
    }
    // A "%" not followed by two hex digits is kept as it is.
    EXPECT_EQ(descodifica("50%"), "50%");
    EXPECT_EQ(descodifica("%4"), "%4");
}

TEST(EtiquetasTest, ACopysTagsGiveBackItsDatabaseAndStamp) {
    const auto e = etiquetas_copia("Obras, Lda", "brasol,2", "200505191407");
    EXPECT_EQ(valor_etiqueta(e, "projecto"), "Obras, Lda");
    EXPECT_EQ(valor_etiqueta(e, "bd"), "brasol,2");
    EXPECT_EQ(valor_etiqueta(e, "carimbo"), "200505191407");
    EXPECT_EQ(valor_etiqueta(e, "carim"), std::nullopt);
    EXPECT_EQ(valor_etiqueta({"pezolva"}, "bd"), std::nullopt);
}

TEST(EtiquetasTest, TheSnapshotTimeIsTheStamps) {
    EXPECT_EQ(hora_do_carimbo("200505191407"), "2005-05-19 14:07:00");
    EXPECT_EQ(hora_do_carimbo("20050519140"), std::nullopt);
    EXPECT_EQ(hora_do_carimbo("2005051914x7"), std::nullopt);
}

}  // namespace
}  // namespace pezolva::offsite
