#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

struct Column {
    const char* name;
    int type;
    int size;
};

const Column kBups[] = {
    {"BUP_NOME_BD", 10, 25},         {"BUP_N_DIAS_INTERVALO", 3, 0},
    {"BUP_N_COPIAS_A_MANTER", 3, 0}, {"BUP_CAMINHO_DESTINO", 10, 255},
    {"BUP_ULT_DATA", 8, 0},          {"BUP_ULT_HORA", 8, 0},
    {"BUP_ULT_DURACAO", 3, 0},       {"BUP_ULT_DESTINO", 10, 255},
    {"BUP_ULT_TAMANHO", 4, 0},       {"BUP_ULT_COMPACTAR", 1, 0},
    {"BUP_ULT_N_REGISTOS", 4, 0},    {"BUP_ULT_NOME_ESTRUTURA", 10, 40},
    {"BUP_ULT_APARECE_AVISO", 1, 0}, {"BUP_ULT_UTILIZADOR", 10, 50},
    {"BUP_VERSAO", 10, 15},          {"BUP_PASSWD", 10, 40},
};

class DdlTest : public EngineTest {
  protected:
    // The register table, made the way its creator makes it.
    void cria_bups(Database& db) {
        TableDef td = db.CreateTableDef("BUPS");
        for (const Column& c : kBups) td.AppendField(TableDef::CreateField(c.name, c.type, c.size));
        Index primary = TableDef::CreateIndex("PrimaryKey");
        primary.AppendField("BUP_NOME_BD");
        primary.SetRequired(true);
        primary.SetPrimary(true);
        td.AppendIndex(primary);
        db.AppendTableDef(td);
    }

    std::vector<std::vector<Value>> rows(Database& db, const std::string& sql) {
        std::vector<std::vector<Value>> out;
        Recordset rs = db.OpenRecordset(sql);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::vector<Value> row;
            for (std::size_t i = 0; i < rs.FieldDefs().Count(); ++i) row.push_back(rs.Fields(i));
            out.push_back(row);
        }
        return out;
    }
};

TEST_F(DdlTest, RegisterTableAsItsCreatorMakesIt) {
    Database db = make("brasol.mdb");
    cria_bups(db);
    const TableDef bups = db.TableDef("bups");
    ASSERT_EQ(bups.Fields().Count(), 16u);
    const int widths[] = {0, 1, 1, 2, 4, 0, 4, 8, 8};
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(bups.Fields()[i].Name(), kBups[i].name);
        EXPECT_EQ(bups.Fields()[i].Type(), kBups[i].type);
        EXPECT_EQ(bups.Fields()[i].Size(),
                  kBups[i].type == 10 ? kBups[i].size : widths[kBups[i].type]);
    }
    ASSERT_EQ(bups.Indexes().Count(), 1u);
    EXPECT_EQ(bups.Indexes()[0].Name(), "PrimaryKey");
    EXPECT_TRUE(bups.Indexes()[0].Primary());
    EXPECT_TRUE(bups.Indexes()[0].Required());
    EXPECT_EQ(error_number([&] { db.Execute("INSERT INTO BUPS (BUP_VERSAO) VALUES ('x')"); }),
              ErroNulo);
    // Text compares without regard to case, so the key refuses a name that
    // differs only in case.
    db.Execute("INSERT INTO BUPS (BUP_NOME_BD) VALUES ('brasol.mdb')");
    EXPECT_EQ(
        error_number([&] { db.Execute("INSERT INTO BUPS (BUP_NOME_BD) VALUES ('BRASOL.MDB')"); }),
        ErroDuplicado);
    TableDef again = db.CreateTableDef("bups");
    again.AppendField(TableDef::CreateField("x", TipoLongo));
    EXPECT_EQ(error_number([&] { db.AppendTableDef(again); }), ErroTabelaExiste);
}

TEST_F(DdlTest, RegisterMigrationKeepsEveryValue) {
    Database db = make("brasol.mdb");
    cria_bups(db);
    db.Execute(R"(INSERT INTO BUPS VALUES
        ('brasol.mdb', 1, 5, '/p/copiaseg', '2005-05-19', '14:07:00', 3, '/p/copiaseg', 123456, 1, 99,
         'estr_b.ebd', 1, NULL, '030909', 'kqa730418'),
        ('log.mdb', 30, 1, '/p/copiaseg', NULL, NULL, NULL, NULL, NULL, 0, NULL, 'estr_l.ebd', 0, NULL,
         '030909', NULL))");
    const auto before = rows(db, "SELECT * FROM BUPS ORDER BY BUP_NOME_BD");

    TableDef bups = db.TableDef("BUPS");
    bups.DeleteIndex("PrimaryKey");
    bups.AppendField(TableDef::CreateField("NOME_TEMP", TipoTexto, 255));
    bups.AppendField(TableDef::CreateField("EST_TEMP", TipoTexto, 255));
    db.Execute("update BUPS set NOME_TEMP=BUP_NOME_BD ");
    db.Execute("update BUPS set EST_TEMP=BUP_ULT_NOME_ESTRUTURA ");
    bups.DeleteField("BUP_NOME_BD");
    bups.DeleteField("BUP_ULT_NOME_ESTRUTURA");
    bups.AppendField(TableDef::CreateField("BUP_NOME_BD", TipoTexto, 255));
    bups.AppendField(TableDef::CreateField("BUP_ULT_NOME_ESTRUTURA", TipoTexto, 255));
    db.Execute("update BUPS set BUP_NOME_BD=NOME_TEMP ");
    db.Execute("update BUPS set BUP_ULT_NOME_ESTRUTURA=EST_TEMP ");
    bups.DeleteField("NOME_TEMP");
    bups.DeleteField("EST_TEMP");
    Index primary = TableDef::CreateIndex("PrimaryKey");
    primary.AppendField("BUP_NOME_BD");
    primary.SetPrimary(true);
    bups.AppendIndex(primary);

    const TableDef after = db.TableDef("BUPS");
    ASSERT_EQ(after.Fields().Count(), 16u);
    EXPECT_EQ(after.Fields()[14].Name(), "BUP_NOME_BD");
    EXPECT_EQ(after.Fields()[15].Name(), "BUP_ULT_NOME_ESTRUTURA");
    EXPECT_EQ(after.Fields()["BUP_NOME_BD"].Size(), 255);
    EXPECT_EQ(after.Fields()["BUP_ULT_NOME_ESTRUTURA"].Size(), 255);
    ASSERT_EQ(after.Indexes().Count(), 1u);
    EXPECT_TRUE(after.Indexes()["PrimaryKey"].Primary());
    EXPECT_FALSE(after.Indexes()["PrimaryKey"].Required());

    std::string columns;
    for (const Column& c : kBups) columns += std::string(columns.empty() ? "" : ", ") + c.name;
    EXPECT_EQ(rows(db, "SELECT " + columns + " FROM BUPS ORDER BY BUP_NOME_BD"), before);
    EXPECT_EQ(
        error_number([&] { db.Execute("INSERT INTO BUPS (BUP_NOME_BD) VALUES ('LOG.MDB')"); }),
        ErroDuplicado);
}

TEST_F(DdlTest, RebuildKeepsConstraintsIndexesTriggersAndRowids) {
    Database db = make("r.mdb", R"(
        CREATE TABLE P (id INTEGER PRIMARY KEY, n TEXT);
        CREATE TABLE T (
            id INTEGER PRIMARY KEY,
            p INTEGER CONSTRAINT "P T" REFERENCES P (id) ON DELETE CASCADE ON UPDATE SET NULL,
            valor numeric( 10 , 2 ) NOT NULL DEFAULT 0 CHECK (valor >= 0),
            nome TEXT(30) COLLATE NOCASE,
            codigo TEXT UNIQUE,
            velho TEXT(5)
        );
        CREATE INDEX ix_nome ON T (nome);
        CREATE INDEX ix_velho ON T (velho, nome);
        CREATE TABLE C (t INTEGER CONSTRAINT "T C" REFERENCES T (id));
        CREATE TABLE Registo (n);
        CREATE TRIGGER tr AFTER INSERT ON T BEGIN INSERT INTO Registo VALUES (new.id); END;
        INSERT INTO P VALUES (1, 'a');
        INSERT INTO T VALUES (10, 1, 2.5, 'Ana', 'x', 'v1'), (20, NULL, 0, 'Rui', 'y', 'v2');
        INSERT INTO C VALUES (20);)");
    TableDef t = db.TableDef("T");
    t.DeleteField("velho");  // in ix_velho: SQLite's DROP COLUMN refuses it
    t = db.TableDef("T");
    EXPECT_FALSE(t.Fields().Contains("velho"));
    EXPECT_EQ(t.Fields()["valor"].DeclaredType(), "numeric( 10 , 2 )");
    EXPECT_TRUE(t.Fields()["valor"].Required());
    std::vector<std::string> indexes;
    for (const Index& i : t.Indexes()) indexes.push_back(i.Name());
    EXPECT_EQ(indexes.size(), 3u);  // the key, codigo's UNIQUE, ix_nome
    EXPECT_TRUE(t.Indexes().Contains("ix_nome"));

    const Relation& pt = db.Relations()["P T"];
    EXPECT_EQ(pt.OnDelete(), "CASCADE");
    EXPECT_EQ(pt.OnUpdate(), "SET NULL");
    EXPECT_TRUE(db.Relations().Contains("T C"));

    Recordset rs = db.OpenRecordset("SELECT id, nome FROM T WHERE nome = 'RUI'");  // NOCASE kept
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs["id"], Value(std::int64_t{20}));
    EXPECT_EQ(error_number([&] { db.Execute("INSERT INTO T (id, valor) VALUES (30, -1)"); }),
              ErroRegraValidacao);
    EXPECT_EQ(error_number([&] { db.Execute("INSERT INTO T (id, codigo) VALUES (30, 'x')"); }),
              ErroDuplicado);
    db.Execute("INSERT INTO T (id) VALUES (30)");  // DEFAULT 0 kept
    EXPECT_EQ(db.OpenRecordset("SELECT valor FROM T WHERE id = 30")["valor"], Value(0.0));
    EXPECT_EQ(db.OpenRecordset("SELECT count(*) AS n FROM Registo")["n"], Value(std::int64_t{3}))
        << "the trigger still fires";
    db.Execute("DELETE FROM P");
    EXPECT_EQ(db.OpenRecordset("SELECT count(*) AS n FROM T WHERE id = 10")["n"],
              Value(std::int64_t{0}))
        << "ON DELETE CASCADE still acts";
}

TEST_F(DdlTest, RefusedChangesLeaveTheTableAsItWas) {
    Database db = make("f.mdb", R"(
        CREATE TABLE P (id TEXT PRIMARY KEY, outro INTEGER, u TEXT);
        CREATE TABLE C (p TEXT REFERENCES P (id));
        INSERT INTO P VALUES ('a', 1, 'x'), ('b', 1, 'x');
        INSERT INTO C VALUES ('a');)");
    TableDef p = db.TableDef("P");
    EXPECT_EQ(error_number([&] { p.DeleteField("ID"); }), ErroCampoEmRelacao);
    // Without its key the child's relation has nothing to point at.
    EXPECT_NE(error_number([&] { p.DeleteIndex("PrimaryKey"); }), 0);
    Index second = TableDef::CreateIndex("Outra");
    second.AppendField("outro");
    second.SetPrimary(true);
    EXPECT_EQ(error_number([&] { p.AppendIndex(second); }), ErroChavePrimariaExiste);
    second.SetPrimary(false);
    second.SetUnique(true);
    EXPECT_EQ(error_number([&] { p.AppendIndex(second); }), ErroDuplicado);
    EXPECT_EQ(error_number([&] { p.AppendField(TableDef::CreateField("OUTRO", TipoLongo)); }),
              ErroObjectoExiste);
    {
        Transaction transaction(db);
        EXPECT_EQ(error_number([&] { p.DeleteField("u"); }), 0) << "DROP COLUMN needs no rebuild";
        EXPECT_EQ(error_number([&] { p.DeleteIndex("PrimaryKey"); }), ErroMotor)
            << "inside a transaction the keys stay on: a table others refer to cannot be rebuilt";
    }
    p.Refresh();
    EXPECT_EQ(p.Fields().Count(), 3u);
    EXPECT_EQ(p.Indexes().Count(), 1u);
    EXPECT_EQ(db.OpenRecordset("P").RecordCount(), 2);
    EXPECT_TRUE(db.Relations().Contains("PC"));
}

TEST_F(DdlTest, MigrationInsideATransactionIsUndoneWithIt) {
    Database db = make("brasol.mdb");
    cria_bups(db);
    db.Execute("INSERT INTO BUPS (BUP_NOME_BD, BUP_VERSAO) VALUES ('brasol.mdb', '030909')");
    {
        Transaction transaction(db);
        TableDef bups = db.TableDef("BUPS");
        bups.DeleteIndex("PrimaryKey");
        bups.DeleteField("BUP_NOME_BD");
        EXPECT_FALSE(db.TableDef("BUPS").Fields().Contains("BUP_NOME_BD"));
    }
    const TableDef bups = db.TableDef("BUPS");
    EXPECT_TRUE(bups.Indexes().Contains("PrimaryKey"));
    EXPECT_EQ(db.OpenRecordset("BUPS")["BUP_NOME_BD"], Value("brasol.mdb"));
    {
        Transaction transaction(db);
        db.TableDef("BUPS").DeleteIndex("PrimaryKey");
        transaction.Commit();
    }
    EXPECT_TRUE(db.TableDef("BUPS").Indexes().empty());
}

TEST_F(DdlTest, NamesWithApostrophesAndQuotes) {
    Database db = make("q.mdb");
    TableDef td = db.CreateTableDef("o'brien \"t\"");
    td.AppendField(TableDef::CreateField("nome d'x", TipoTexto, 20));
    td.AppendField(TableDef::CreateField("a\"b", TipoLongo));
    Index index = TableDef::CreateIndex("ix 'q'");
    index.AppendField("a\"b");
    td.AppendIndex(index);
    db.AppendTableDef(td);
    db.Execute("INSERT INTO " + quote_identifier("o'brien \"t\"") + " VALUES (" +
               quote_literal("d'Ávila") + ", 1)");
    td.DeleteField("a\"b");  // indexed: through a rebuild
    Recordset rs = db.OpenRecordset("o'brien \"t\"");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs["NOME D'X"], Value("d'Ávila"));
    EXPECT_EQ(td.Fields().Count(), 1u);
    EXPECT_TRUE(td.Indexes().empty());
}

// A new table keeps its relations, with their actions, from creation;
// a stored one takes no more, and a relation of another table is refused.
TEST_F(DdlTest, ANewTableIsCreatedWithItsRelations) {
    Database db = make("relacoes.mdb", "CREATE TABLE Pai (A INTEGER, B TEXT, PRIMARY KEY (A, B))");
    TableDef filho = db.CreateTableDef("Filho");
    filho.AppendField(TableDef::CreateField("X", TipoLongo));
    filho.AppendField(TableDef::CreateField("Y", TipoTexto, 5));
    const Relation r("Pai'Filho", "Pai", "Filho", {{"A", "X"}, {"B", "Y"}}, "CASCADE",
                     "drop table Pai");
    filho.AppendRelation(r);
    EXPECT_EQ(error_number([&] {
                  filho.AppendRelation(Relation("Outra", "Pai", "Neto", {{"A", "X"}}, "", ""));
              }),
              ErroArgumento);
    db.AppendTableDef(filho);
    ASSERT_EQ(db.Relations().Count(), 1u);
    const Relation lida = db.Relations()[0];
    EXPECT_EQ(lida.Name(), "Pai'Filho");
    EXPECT_EQ(lida.OnUpdate(), "CASCADE");
    EXPECT_EQ(lida.OnDelete(), "NO ACTION");  // an unknown action is never written as given
    ASSERT_EQ(lida.Fields().size(), 2u);
    EXPECT_EQ(lida.Fields()[1].ForeignName, "Y");
    EXPECT_EQ(error_number([&] { filho.AppendRelation(r); }), ErroArgumento);
    EXPECT_EQ(error_number([&] { db.Execute("INSERT INTO Filho VALUES (1, 'a')"); }),
              ErroIntegridade);
}

}  // namespace
}  // namespace pezolva::engine::testing
