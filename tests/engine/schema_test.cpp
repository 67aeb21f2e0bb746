#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

const char* const kSchema = R"(
CREATE TABLE Clientes (Numero INTEGER PRIMARY KEY, Nome TEXT(50) NOT NULL COLLATE NOCASE, Nif CHAR(9) UNIQUE);
CREATE TABLE MSysConfig (a);
CREATE TABLE Facturas (
    Numero LONG CONSTRAINT "PK Facturas" PRIMARY KEY,
    Cliente INTEGER CONSTRAINT ClientesFacturas REFERENCES Clientes (Numero) ON DELETE CASCADE,
    Data DATETIME,
    Pagador INTEGER REFERENCES Clientes -- no name: named after the two tables
);
CREATE TABLE Linhas (
    Factura LONG NOT NULL, Linha SMALLINT NOT NULL, Artigo TEXT(20), Preco DOUBLE,
    PRIMARY KEY (Factura, Linha),
    CONSTRAINT [Facturas Linhas] FOREIGN KEY (Factura) REFERENCES Facturas (Numero)
);
CREATE INDEX ix_artigo ON Linhas (Artigo);
CREATE TABLE Registo (id INTEGER PRIMARY KEY AUTOINCREMENT, texto MEMO);
CREATE TABLE Pares (x, y, PRIMARY KEY (x, y));
CREATE TABLE Ligacoes (a, b, FOREIGN KEY (a, b) REFERENCES Pares (x, y));
ALTER TABLE Ligacoes ADD COLUMN d INTEGER REFERENCES Clientes (Numero);
CREATE VIEW Vista AS SELECT * FROM Clientes;
)";

// The same structure, made by the sqlite3 shell or through Execute.
class SchemaTest : public EngineTest, public ::testing::WithParamInterface<bool> {
  protected:
    Database open_schema() {
        if (GetParam()) {
            if (!run_sqlite_shell(path("shell.mdb"), kSchema)) {
                ADD_FAILURE() << "sqlite3 shell not installed";
                return make("vazia.mdb");
            }
            return OpenDatabase(path("shell.mdb"));
        }
        return make("motor.mdb", kSchema);
    }
};

std::vector<std::string> names_of(const auto& collection) {
    std::vector<std::string> names;
    for (const auto& item : collection) names.push_back(item.Name());
    return names;
}

TEST_P(SchemaTest, TablesInStoredOrderWithSystemTablesAndWithoutSqliteOnes) {
    Database db = open_schema();
    EXPECT_EQ(names_of(db.TableDefs()),
              (std::vector<std::string>{"Clientes", "MSysConfig", "Facturas", "Linhas", "Registo",
                                        "Pares", "Ligacoes"}));
    EXPECT_EQ(db.TableDef("FACTURAS").Name(), "Facturas");
    EXPECT_EQ(error_number([&] { db.TableDef("Vista"); }), ErroItemInexistente);
    EXPECT_EQ(error_number([&] { db.TableDef("sqlite_sequence"); }), ErroItemInexistente);
}

TEST_P(SchemaTest, FieldsWithTypeAndSize) {
    Database db = open_schema();
    const TableDef clientes = db.TableDef("clientes");
    ASSERT_EQ(clientes.Fields().Count(), 3u);
    EXPECT_EQ(clientes.Fields()["NOME"].Type(), TipoTexto);
    EXPECT_EQ(clientes.Fields()["nome"].Size(), 50);
    EXPECT_TRUE(clientes.Fields()["Nome"].Required());
    EXPECT_EQ(clientes.Fields()[2].Size(), 9);
    const TableDef linhas = db.TableDef("Linhas");
    EXPECT_EQ(linhas.Fields()["Linha"].Type(), TipoInteiro);
    EXPECT_EQ(linhas.Fields()["Preco"].Type(), TipoDuplo);
    EXPECT_EQ(db.TableDef("Facturas").Fields()["Data"].Type(), TipoDataHora);
    EXPECT_EQ(error_number([&] { clientes.Fields()["Morada"]; }), ErroItemInexistente);
}

TEST_P(SchemaTest, PrimaryIndexUnderItsConstraintNameOrPrimaryKey) {
    Database db = open_schema();
    const auto clientes = db.TableDef("Clientes").Indexes();
    ASSERT_EQ(clientes.Count(), 2u);
    EXPECT_EQ(clientes[0].Name(), "PrimaryKey");  // INTEGER PRIMARY KEY, the rowid
    EXPECT_TRUE(clientes[0].Primary());
    EXPECT_TRUE(clientes[0].Required());
    EXPECT_EQ(clientes[0].Fields(), std::vector<std::string>{"Numero"});
    EXPECT_FALSE(clientes[1].Primary());
    EXPECT_TRUE(clientes[1].Unique());
    EXPECT_EQ(clientes[1].Fields(), std::vector<std::string>{"Nif"});

    const auto facturas = db.TableDef("Facturas").Indexes();
    ASSERT_EQ(facturas.Count(), 1u);
    EXPECT_EQ(facturas[0].Name(), "PK Facturas");
    EXPECT_FALSE(facturas[0].Required()) << "a PRIMARY KEY that is not a rowid may hold Null";

    const auto linhas = db.TableDef("Linhas").Indexes();
    ASSERT_EQ(names_of(linhas), (std::vector<std::string>{"PrimaryKey", "ix_artigo"}));
    EXPECT_EQ(linhas["primarykey"].Fields(), (std::vector<std::string>{"Factura", "Linha"}));
    EXPECT_TRUE(linhas[0].Required());
    EXPECT_FALSE(linhas["IX_ARTIGO"].Unique());
}

TEST_P(SchemaTest, RelationsByConstraintNameOrByTheirTables) {
    Database db = open_schema();
    const Collection<Relation> relations = db.Relations();
    EXPECT_EQ(names_of(relations),
              (std::vector<std::string>{"ClientesFacturas", "ClientesFacturas1", "Facturas Linhas",
                                        "ClientesLigacoes", "ParesLigacoes"}))
        << "ALTER TABLE writes its column before the table constraints";
    const Relation& named = relations["clientesfacturas"];
    EXPECT_EQ(named.Table(), "Clientes");
    EXPECT_EQ(named.ForeignTable(), "Facturas");
    ASSERT_EQ(named.Fields().size(), 1u);
    EXPECT_EQ(named.Fields()[0].Name, "Numero");
    EXPECT_EQ(named.Fields()[0].ForeignName, "Cliente");
    EXPECT_EQ(named.OnDelete(), "CASCADE");
    // A clause without parent columns means the parent's primary key.
    EXPECT_EQ(relations["ClientesFacturas1"].Fields()[0].Name, "Numero");
    EXPECT_EQ(relations["ClientesFacturas1"].Fields()[0].ForeignName, "Pagador");
    const Relation& composite = relations["ParesLigacoes"];
    ASSERT_EQ(composite.Fields().size(), 2u);
    EXPECT_EQ(composite.Fields()[1].Name, "y");
    EXPECT_EQ(composite.Fields()[1].ForeignName, "b");
    EXPECT_EQ(relations["ClientesLigacoes"].Fields()[0].ForeignName, "d");
    EXPECT_EQ(relations["Facturas Linhas"].Table(), "Facturas");
}

INSTANTIATE_TEST_SUITE_P(MadeBy, SchemaTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Shell" : "Engine"; });

}  // namespace
}  // namespace pezolva::engine::testing
