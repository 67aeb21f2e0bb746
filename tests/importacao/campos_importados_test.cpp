#include "importacao/campos_importados.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/field_types.h"

namespace pezolva::importacao {
namespace {

TEST(CamposImportados, EveryTypeOfTheOriginalHasItsCodeAndTextKeepsItsLength) {
    std::string nota;
    struct Caso {
        int jet;
        int codigo;
        int tamanho;
    } casos[] = {{JetSimNao, 1, 1},  {JetByte, 2, 1},    {JetInteiro, 3, 2}, {JetLongo, 4, 4},
                 {JetMoeda, 5, 8},   {JetSimples, 6, 4}, {JetDuplo, 7, 8},   {JetDataHora, 8, 8},
                 {JetTexto, 10, 70}, {JetOle, 11, 0},    {JetMemo, 12, 0}};
    for (const Caso& c : casos) {
        const engine::Field f = campo_importado({"c", c.jet, 70, false}, false, nota);
        EXPECT_EQ(f.Type(), c.codigo) << c.jet;
        EXPECT_EQ(f.Size(), c.tamanho) << c.jet;
        EXPECT_EQ(nota, "") << c.jet;
    }
    EXPECT_EQ(campo_importado({"c", JetDecimal, 17, false}, false, nota).Type(), engine::TipoTexto);
    EXPECT_NE(nota, "");
}

// The AutoNumber that is the whole key is the table's row number; one that
// is not cannot be filled by SQLite, and the report says so.
TEST(CamposImportados, AnAutoNumberIsFilledOnlyWhereItIsTheWholeKey) {
    std::string nota;
    EXPECT_EQ(campo_importado({"Id", JetLongo, 4, true}, true, nota).DeclaredType(), "INTEGER");
    EXPECT_EQ(nota, "");
    const engine::Field fora = campo_importado({"Id", JetLongo, 4, true}, false, nota);
    EXPECT_EQ(fora.Type(), engine::TipoLongo);
    EXPECT_NE(fora.DeclaredType(), "INTEGER");
    EXPECT_NE(nota, "");
}

TEST(CamposImportados, LiteralsKeepEveryValueExactly) {
    EXPECT_EQ(literal({}), "NULL");
    EXPECT_EQ(literal({Celula::Tipo::Inteiro, std::numeric_limits<std::int64_t>::max(), 0, {}}),
              "9223372036854775807");
    EXPECT_EQ(literal({Celula::Tipo::Real, 0, 0.1, {}}), "0.10000000000000001");
    EXPECT_EQ(literal({Celula::Tipo::Real, 0, std::nan(""), {}}), "NULL");
    EXPECT_EQ(literal({Celula::Tipo::Texto, 0, 0, "d'Ávila"}), "'d''Ávila'");
    EXPECT_EQ(literal({Celula::Tipo::Binario, 0, 0, std::string("\x00\xff\x10", 3)}), "X'00FF10'");
}

}  // namespace
}  // namespace pezolva::importacao
