// The engine's readings of SQL text: quoting, the dialect forms of Execute
// and the parts of a CREATE TABLE statement.
#include <gtest/gtest.h>

#include "engine/detail/connection_text.h"
#include "engine/detail/create_table.h"
#include "engine/detail/dialect.h"
#include "engine/error.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

TEST(Quoting, DoublesTheQuoteMarkOnly) {
    EXPECT_EQ(quote_identifier("BUPS"), "\"BUPS\"");
    EXPECT_EQ(quote_identifier("o\"brien's"), "\"o\"\"brien's\"");
    EXPECT_EQ(quote_literal("o'brien \"x\""), "'o''brien \"x\"'");
    EXPECT_EQ(quote_literal(""), "''");
}

TEST(ConnectString, FindsThePassword) {
    EXPECT_EQ(password_from_connect(";pwd=kqa730418"), "kqa730418");
    EXPECT_EQ(password_from_connect(";PWD=a=b"), "a=b");
    EXPECT_EQ(password_from_connect("modo=1; Pwd =segredo"), "segredo");
    EXPECT_EQ(password_from_connect(";pwd="), "");
    EXPECT_EQ(password_from_connect(""), "");
    EXPECT_EQ(password_from_connect(";database=x"), "");
}

TEST(Dialect, DeleteStarLosesTheStar) {
    EXPECT_EQ(translate_statement("delete * from BUPS").sql, "delete  from BUPS");
    EXPECT_EQ(translate_statement("DELETE * FROM [a b] WHERE x=1;").sql,
              "DELETE  FROM [a b] WHERE x=1;");
    EXPECT_EQ(translate_statement("delete from t").sql, "delete from t");
    EXPECT_FALSE(translate_statement("update t set a = '* from'").external);
}

TEST(Dialect, ExternalInsertNamesAndPath) {
    struct Case {
        const char* statement;
        const char* target;
        const char* file;
        const char* source;
    };
    const Case cases[] = {
        {"insert into T in '/tmp/c.mdb' select * from T", "T", "/tmp/c.mdb", "T"},
        {"INSERT INTO [Linhas de Factura] IN '/tmp/o''brien/c.mdb' SELECT * FROM [Linhas de "
         "Factura];",
         "Linhas de Factura", "/tmp/o'brien/c.mdb", "Linhas de Factura"},
        {"insert into \"a\"\"b\" in 'x' select * from `a``b`", "a\"b", "x", "a`b"},
    };
    for (const Case& c : cases) {
        const Translated t = translate_statement(c.statement);
        ASSERT_TRUE(t.external) << c.statement;
        EXPECT_EQ(t.external->target_table, c.target);
        EXPECT_EQ(t.external->file, c.file);
        EXPECT_EQ(t.external->source_table, c.source);
    }
    for (const char* wrong :
         {"insert into T in 'x' select a from T", "insert into T in x select * from T",
          "insert into T in 'x' select * from T where 1"}) {
        try {
            translate_statement(wrong);
            ADD_FAILURE() << wrong;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.numero(), ErroSintaxe);
        }
    }
}

TEST(CreateTableText, ForeignKeysWithAndWithoutNames) {
    const std::string sql = R"(CREATE TABLE "Linhas" ( -- comment (with a parenthesis
        id INTEGER CONSTRAINT "pk linhas" PRIMARY KEY AUTOINCREMENT,
        [factura] LONG NOT NULL CONSTRAINT [Facturas Linhas] REFERENCES Facturas (Numero) ON DELETE SET NULL
            NOT DEFERRABLE,
        `cliente` TEXT(10) DEFAULT NULL NOT NULL REFERENCES 'Clientes' /* (x */,
        preco NUMERIC( 10 , 2 ) DEFAULT (round(1.5, 1)) CHECK (preco >= (0)),
        a, b,
        CONSTRAINT "Fk ""aspas"" ção" FOREIGN KEY (a, b) REFERENCES Pares (x, y) ON UPDATE CASCADE,
        FOREIGN KEY (b) REFERENCES Outra,
        UNIQUE (a, b)
    ) WITHOUT ROWID)";
    const auto table = parse_create_table(sql);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->columns.size(), 6u);
    EXPECT_EQ(table->columns[1].name, "factura");
    EXPECT_EQ(table->columns[1].type, "LONG");
    EXPECT_EQ(table->columns[3].type, "NUMERIC( 10 , 2 )");
    EXPECT_EQ(table->columns[4].type, "");
    EXPECT_EQ(primary_key_name(*table), "pk linhas");
    EXPECT_NE(table->tail.find("WITHOUT ROWID"), std::string::npos);

    const auto keys = written_foreign_keys(*table);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].name, "Facturas Linhas");
    EXPECT_EQ(keys[0].from, std::vector<std::string>{"factura"});
    EXPECT_EQ(keys[0].references.parent, "Facturas");
    EXPECT_EQ(keys[0].references.to, std::vector<std::string>{"Numero"});
    EXPECT_EQ(keys[1].name, "");
    EXPECT_EQ(keys[1].references.parent, "Clientes");
    EXPECT_TRUE(keys[1].references.to.empty());
    EXPECT_EQ(keys[2].name, "Fk \"aspas\" ção");
    EXPECT_EQ(keys[2].from, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(keys[2].references.to, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(keys[3].references.parent, "Outra");
    // DEFAULT NULL is a value, not a constraint: NOT NULL follows it.
    const auto& cliente = table->columns[2].constraints;
    ASSERT_GE(cliente.size(), 2u);
    EXPECT_EQ(cliente[0].kind, ColumnConstraint::Default);
    EXPECT_EQ(cliente[1].kind, ColumnConstraint::NotNull);
}

TEST(CreateTableText, OtherStatementsAreNotTables) {
    EXPECT_FALSE(parse_create_table("CREATE VIRTUAL TABLE t USING fts5(a)"));
    EXPECT_FALSE(parse_create_table("CREATE VIEW v AS SELECT 1"));
    EXPECT_TRUE(parse_create_table("create temp table if not exists main.t(a)"));
}

}  // namespace
}  // namespace pezolva::engine::detail
