// The rules of the backup window's fields, without a window.
#include "backup/ui/campos_registo.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/scripted_dialogs.h"
#include "engine/field_types.h"

namespace pezolva::backup {
namespace {

using namespace engine;

TEST(ValorDoTexto, AcceptedTextsBecomeValuesOfTheColumnsType) {
    const struct {
        const char* texto;
        int tipo;
        Value esperado;
    } casos[] = {
        {"", TipoLongo, Value()},
        {"12", TipoInteiro, Value(12)},
        {"+7", TipoByte, Value(7)},
        {"255", TipoByte, Value(255)},
        {"-32768", TipoInteiro, Value(-32768)},
        {"2147483647", TipoLongo, Value(std::int64_t{2147483647})},
        {"2,5", TipoInteiro, Value(2)},  // halves to even
        {"3,5", TipoInteiro, Value(4)},
        {"2.6", TipoInteiro, Value(3)},
        {"1.234.567", TipoLongo, Value(1234567)},  // "." grouping thousands
        {"1.234,5", TipoDuplo, Value(1234.5)},
        {"12.5", TipoDuplo, Value(12.5)},
        {"-0,25", TipoSimples, Value(-0.25)},
        {"19-05-2005", TipoDataHora, Value(DateTime{2005, 5, 19})},
        {"true", TipoSimNao, Value(true)},
        {"d'Ávila ", TipoTexto, Value("d'Ávila ")},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(valor_do_texto(c.texto, c.tipo), c.esperado) << c.texto;
    }
}

TEST(ValorDoTexto, TextsOutsideTheTypeAreRefused) {
    const struct {
        const char* texto;
        int tipo;
    } casos[] = {
        {"256", TipoByte},
        {"-1", TipoByte},
        {"32768", TipoInteiro},
        {"2147483648", TipoLongo},
        {"-2147483649", TipoLongo},
        {"abc", TipoLongo},
        {"1,2,3", TipoDuplo},
        {"1e5", TipoDuplo},
        {"5 ", TipoInteiro},
        {"400000000000000000000000000000000000000", TipoSimples},
        {"31-02-2005", TipoDataHora},
        {"talvez", TipoSimNao},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(valor_do_texto(c.texto, c.tipo), std::nullopt) << c.texto;
    }
}

TEST(TextoDoValor, DatesTheLocalWayAndTheSizeGroupedInThousands) {
    EXPECT_EQ(texto_do_valor(Value(), 0), "");
    EXPECT_EQ(texto_do_valor(Value(DateTime{2005, 5, 19}), 6), "19-05-2005");
    EXPECT_EQ(texto_do_valor(Value(DateTime{1899, 12, 30, 14, 7, 0}), 7), "14:07:00");
    EXPECT_EQ(texto_do_valor(Value(DateTime{2005, 5, 9, 8, 0, 5}), 6), "09-05-2005 08:00:05");
    EXPECT_EQ(texto_do_valor(Value(1234567), kCampoTamanho), "1.234.567");
    EXPECT_EQ(texto_do_valor(Value(1234567), 11), "1234567");
    EXPECT_EQ(texto_do_valor(Value(-1), kCampoTamanho), "-1");
    EXPECT_EQ(texto_do_valor(Value(30), kCampoIntegridades), "30");
}

TEST(AgrupaMilhares, GroupsOfThreeFromTheRight) {
    EXPECT_EQ(agrupa_milhares(0), "0");
    EXPECT_EQ(agrupa_milhares(999), "999");
    EXPECT_EQ(agrupa_milhares(1000), "1.000");
    EXPECT_EQ(agrupa_milhares(123456), "123.456");
    EXPECT_EQ(agrupa_milhares(-1234567), "-1.234.567");
    EXPECT_EQ(agrupa_milhares(std::numeric_limits<std::int64_t>::min()),
              "-9.223.372.036.854.775.808");
}

class AvaliaEdicaoTest : public ::testing::Test {
  protected:
    AvaliacaoEdicao avalia(int indice, const std::string& texto, const Field& definicao) {
        dialogs.clear();
        return avalia_edicao(campos_registo()[static_cast<std::size_t>(indice)], texto, definicao,
                             dialogs);
    }
    std::string mensagem() const {
        return dialogs.shown().size() == 1 ? dialogs.shown()[0].text : "(not one message)";
    }
    ScriptedDialogs dialogs;
    const Field texto25{"BUP_NOME_BD", TipoTexto, 25};
    const Field inteiro{"BUP_N_DIAS_INTERVALO", TipoInteiro};
    const Field longo{"n_integridades_bd", TipoLongo};
};

TEST_F(AvaliaEdicaoTest, RefusalsAreExplainedOnce) {
    EXPECT_EQ(avalia(0, std::string(26, 'a'), texto25).desfecho, Desfecho::Recusado);
    EXPECT_EQ(mensagem(), "O comprimento do campo excede o permitido.");
    EXPECT_EQ(avalia(0, "d'Ávila.mdb", texto25).desfecho, Desfecho::Recusado);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(avalia(4, "32767", inteiro).desfecho, Desfecho::Recusado);
    EXPECT_EQ(mensagem(), "Valor inválido.");
    // The general check lets any number through for a Long; the column
    // cannot hold this one.
    EXPECT_EQ(avalia(5, "99999999999", longo).desfecho, Desfecho::Recusado);
    EXPECT_EQ(mensagem(), "Valor inválido.");
    EXPECT_EQ(dialogs.shown()[0].title, "Erro");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
}

TEST_F(AvaliaEdicaoTest, EmptyIsRefusedForMandatoryFieldsAndNullForTheOthers) {
    EXPECT_EQ(avalia(4, "", inteiro).desfecho, Desfecho::Obrigatorio);
    EXPECT_EQ(mensagem(), "Tem de introduzir um valor.");
    EXPECT_EQ(dialogs.shown()[0].title, "Atenção");
    const AvaliacaoEdicao nulo = avalia(12, "", Field{"BUP_ULT_UTILIZADOR", TipoTexto, 50});
    EXPECT_EQ(nulo.desfecho, Desfecho::Gravar);
    EXPECT_TRUE(nulo.valor.is_null());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(AvaliaEdicaoTest, AcceptedTextsAreStoredAsTheColumnsType) {
    const AvaliacaoEdicao a = avalia(4, "7", inteiro);
    EXPECT_EQ(a.desfecho, Desfecho::Gravar);
    EXPECT_EQ(a.valor, Value(7));
    EXPECT_EQ(avalia(0, "log.mdb", texto25).valor, Value("log.mdb"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST(PastaInicialEstrutura, TheStructuresFolderOrTheDatabasesOrTheProjects) {
    const struct {
        const char* texto;
        const char* nome_bd;
        const char* esperada;
    } casos[] = {
        {"", "brasol.mdb", "/proj"},
        {"  ", "/dados/x.mdb", "/proj"},
        {"estr_b.ebd", "brasol.mdb", "/proj"},
        {"estr_b.ebd", "/dados/x.mdb", "/dados"},
        {" /est/estr_b.ebd ", "brasol.mdb", "/est"},
        {"/estr_b.ebd", "brasol.mdb", "/"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(pasta_inicial_estrutura(c.texto, c.nome_bd, "/proj"), c.esperada) << c.texto;
    }
}

}  // namespace
}  // namespace pezolva::backup
