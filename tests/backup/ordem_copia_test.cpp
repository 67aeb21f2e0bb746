#include "backup/ordem_copia.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pezolva::backup {
namespace {

using Names = std::vector<std::string>;
using Levels = std::vector<Names>;

TEST(OrdemCopiaTest, AReferringTableComesAfterItsParentInEitherEnumeration) {
    const std::vector<Dependencia> b_refers_to_a = {{"A", "B"}};

    const OrdemCopia same_pass = ordena_tabelas({"A", "B"}, b_refers_to_a);
    ASSERT_TRUE(same_pass.complete);
    EXPECT_EQ(same_pass.levels, (Levels{{"A", "B"}}));

    const OrdemCopia two_passes = ordena_tabelas({"B", "A"}, b_refers_to_a);
    ASSERT_TRUE(two_passes.complete);
    EXPECT_EQ(two_passes.levels, (Levels{{"A"}, {"B"}}));

    for (const OrdemCopia& order : {same_pass, two_passes}) {
        EXPECT_EQ(ordem_de_enchimento(order), (Names{"A", "B"}));
        EXPECT_EQ(ordem_de_esvaziamento(order), (Names{"B", "A"}));
    }
}

TEST(OrdemCopiaTest, EnumerationOrderIsTheOnlyTieBreak) {
    // clientes <- obras <- facturas, linhas -> facturas and -> artigos.
    const std::vector<Dependencia> relations = {{"obras", "facturas"},
                                                {"clientes", "obras"},
                                                {"artigos", "linhas"},
                                                {"facturas", "linhas"}};
    const OrdemCopia order =
        ordena_tabelas({"linhas", "facturas", "artigos", "obras", "clientes", "notas"}, relations);
    ASSERT_TRUE(order.complete);
    EXPECT_EQ(order.levels,
              (Levels{{"artigos", "clientes", "notas"}, {"obras"}, {"facturas"}, {"linhas"}}));
    EXPECT_EQ(ordem_de_esvaziamento(order),
              (Names{"linhas", "facturas", "obras", "notas", "clientes", "artigos"}));
}

TEST(OrdemCopiaTest, CyclesLeaveTheOrderIncomplete) {
    const OrdemCopia self = ordena_tabelas({"A", "T", "Z"}, {{"t", "T"}});
    EXPECT_FALSE(self.complete);
    EXPECT_EQ(self.unplaced, Names{"T"});
    EXPECT_THROW(ordem_de_enchimento(self), std::logic_error);
    EXPECT_THROW(ordem_de_esvaziamento(self), std::logic_error);

    const OrdemCopia mutual =
        ordena_tabelas({"A", "B", "C", "D"}, {{"A", "B"}, {"B", "A"}, {"B", "C"}});
    EXPECT_FALSE(mutual.complete);
    EXPECT_EQ(mutual.unplaced, (Names{"A", "B", "C"}));
    EXPECT_EQ(mutual.levels, Levels{{"D"}});

    // A relation to a table the copy does not have can never be met either.
    EXPECT_FALSE(ordena_tabelas({"B"}, {{"perdida", "B"}}).complete);
}

TEST(OrdemCopiaTest, SystemTablesArePlacedButNeverCopied) {
    const OrdemCopia unrelated =
        ordena_tabelas({"MSysObjects", "clientes", "msysACEs", "artigos", "MSYSpasswd"}, {});
    ASSERT_TRUE(unrelated.complete);
    EXPECT_EQ(unrelated.levels, (Levels{{"clientes", "artigos"}}));

    // A pass that places only system tables makes no level of its own, so
    // that nothing after it is skipped.
    const OrdemCopia after_system = ordena_tabelas({"notas", "MSysConf"}, {{"MSysConf", "notas"}});
    ASSERT_TRUE(after_system.complete);
    EXPECT_EQ(after_system.levels, Levels{{"notas"}});
    EXPECT_EQ(ordem_de_enchimento(after_system), Names{"notas"});
}

TEST(OrdemCopiaTest, NamesCompareCaseBlind) {
    const OrdemCopia order = ordena_tabelas({"Facturas", "OBRAS", "Clientes"},
                                            {{"obras", "FACTURAS"}, {"CLIENTES", "obras"}});
    ASSERT_TRUE(order.complete);
    EXPECT_EQ(order.levels, (Levels{{"Clientes"}, {"OBRAS"}, {"Facturas"}}));
}

TEST(OrdemCopiaTest, NoLimitOnTablesLevelsOrTablesPerLevel) {
    // 40 levels of 75 tables: each table of a level refers to one of the
    // level before; the enumeration lists the deepest level first.
    Names tables;
    std::vector<Dependencia> relations;
    const auto name = [](int level, int i) {
        return "t" + std::to_string(level) + "_" + std::to_string(i);
    };
    for (int level = 39; level >= 0; --level) {
        for (int i = 0; i < 75; ++i) {
            tables.push_back(name(level, i));
            if (level > 0) relations.push_back({name(level - 1, (i * 7) % 75), name(level, i)});
        }
    }
    const OrdemCopia wide = ordena_tabelas(tables, relations);
    ASSERT_TRUE(wide.complete);
    ASSERT_EQ(wide.levels.size(), 40u);
    for (int level = 0; level < 40; ++level) {
        ASSERT_EQ(wide.levels[level].size(), 75u);
        EXPECT_EQ(wide.levels[level].front(), name(level, 0));
    }
    EXPECT_EQ(ordem_de_enchimento(wide).size(), 3000u);

    // A chain of 3000 tables enumerated from its end: one level per table.
    Names chain;
    std::vector<Dependencia> links;
    for (int i = 2999; i >= 0; --i) {
        chain.push_back("c" + std::to_string(i));
        if (i > 0) links.push_back({"c" + std::to_string(i - 1), "c" + std::to_string(i)});
    }
    const OrdemCopia deep = ordena_tabelas(chain, links);
    ASSERT_TRUE(deep.complete);
    EXPECT_EQ(deep.levels.size(), 3000u);
    EXPECT_EQ(ordem_de_esvaziamento(deep), chain);
}

TEST(ErroDeAlteracaoTest, AMissingTableOrAnotherFieldCount) {
    EXPECT_EQ(erro_de_alteracao("Obras", 5, std::nullopt),
              "A tabela Obras da base de dados antiga foi apagada na nova");
    EXPECT_EQ(erro_de_alteracao("Obras", 5, TabelaViva{"OBRAS", 6}), "Alteração na tabela OBRAS");
    EXPECT_EQ(erro_de_alteracao("Obras", 5, TabelaViva{"OBRAS", 5}), std::nullopt);
}

}  // namespace
}  // namespace pezolva::backup
