#include "engine/field_types.h"

#include <limits>

#include "engine/quoting.h"
#include "engine_fixture.h"

namespace pezolva::engine::testing {
namespace {

struct Mapping {
    const char* declared;
    int code;
    int size;
};

// Every row of the mapping table, with the spellings a user may write.
const Mapping kMappings[] = {
    {"BOOLEAN", 1, 1},
    {"bool", 1, 1},
    {"BIT", 1, 1},
    {"YesNo", 1, 1},
    {"LOGICAL", 1, 1},
    {"TINYINT", 2, 1},
    {"BYTE", 2, 1},
    {"SMALLINT", 3, 2},
    {"INT2", 3, 2},
    {"SHORT", 3, 2},
    {"INTEGER", 4, 4},
    {"INT", 4, 4},
    {"MEDIUMINT", 4, 4},
    {"INT4", 4, 4},
    {"LONG", 4, 4},
    {"BIGINT", 4, 4},
    {"INT8", 4, 4},
    {"UNSIGNED BIG INT", 4, 4},
    {"unsigned   big\tint", 4, 4},
    {"FLOAT", 6, 4},
    {"SINGLE", 6, 4},
    {"FLOAT4", 6, 4},
    {"REAL", 7, 8},
    {"DOUBLE", 7, 8},
    {"DOUBLE PRECISION", 7, 8},
    {"FLOAT8", 7, 8},
    {"NUMERIC", 7, 8},
    {"numeric( 10 , 2 )", 7, 8},
    {"DECIMAL(10,5)", 7, 8},
    {"MONEY", 7, 8},
    {"CURRENCY", 5, 8},
    {"DATETIME", 8, 8},
    {"DATE", 8, 8},
    {"TIME", 8, 8},
    {"TIMESTAMP", 8, 8},
    {"TEXT", 10, 255},
    {"TEXT(25)", 10, 25},
    {"VARCHAR (5)", 10, 5},
    {"varchar(255)", 10, 255},
    {"CHAR(1)", 10, 1},
    {"NCHAR(55)", 10, 55},
    {"NVARCHAR(100)", 10, 100},
    {"CHARACTER(20)", 10, 20},
    {"VARYING CHARACTER(255)", 10, 255},
    {"NATIVE CHARACTER(70)", 10, 70},
    {"CLOB", 10, 255},
    {"STRING", 10, 255},
    {"LONGTEXT", 12, 0},
    {"MEMO", 12, 0},
    {"LongChar", 12, 0},
    {"BLOB", 11, 0},
    {"LONGBINARY", 11, 0},
    {"OLEOBJECT", 11, 0},
    {"", 11, 0},
    // Not in the table: SQLite's affinity rules decide, in their order.
    {"FLOATING POINT", 4, 4},  // contains INT before FLOA
    {"SUPERTEXT(12)", 10, 12},
    {"MYCHAR", 10, 255},
    {"RAWBLOB", 11, 0},
    {"DOUBLEWIDE", 7, 8},
    {"WHATEVER", 7, 8},
};

TEST(FieldTypes, EveryDeclaredTypeMapsToOneCodeAndSize) {
    for (const Mapping& m : kMappings) {
        EXPECT_EQ(field_type_of(m.declared), (FieldType{m.code, m.size}))
            << "'" << m.declared << "'";
    }
}

TEST(FieldTypes, CanonicalTypesMapBack) {
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 11, 12}) {
        EXPECT_EQ(field_type_of(declared_type_for(code, 0)).code, code) << code;
    }
    EXPECT_EQ(declared_type_for(10, 25), "TEXT(25)");
    EXPECT_EQ(field_type_of(declared_type_for(10, 25)), (FieldType{10, 25}));
    EXPECT_EQ(field_type_of(declared_type_for(10, 0)), (FieldType{10, 255}));
    EXPECT_EQ(error_number([] { declared_type_for(9, 0); }), ErroTipoCampo);
}

// The whole range of the original's Currency, and the texts that are not one.
TEST(FieldTypes, CurrencyKeepsEveryAmountExactly) {
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(currency_text(max), "922337203685477.5807");
    EXPECT_EQ(currency_text(min), "-922337203685477.5808");
    EXPECT_EQ(currency_text(1), "0.0001");
    EXPECT_EQ(currency_text(-125000), "-12.5");
    EXPECT_EQ(currency_text(0), "0");
    for (std::int64_t v : {max, min, std::int64_t{1}, std::int64_t{-125000}, std::int64_t{0},
                           std::int64_t{99990001}}) {
        EXPECT_EQ(currency_scaled(currency_text(v)), v) << v;
    }
    EXPECT_EQ(currency_scaled(".5"), 5000);
    for (const char* wrong :
         {"", "-", ".", "1.00001", "922337203685477.5808", "1e3", "12a", "--1", "1.2.3"}) {
        EXPECT_FALSE(currency_scaled(wrong)) << wrong;
    }
}

class FieldTypesInFile : public EngineTest {};

// Currency comes back as written, and a Memo is a text without a length
// that compares without regard to case.
TEST_F(FieldTypesInFile, CurrencyAndMemoReadBackAsStored) {
    Database db = make("moeda.mdb", "");
    TableDef def = db.CreateTableDef("Contas");
    def.AppendField(TableDef::CreateField("Valor", TipoMoeda));
    def.AppendField(TableDef::CreateField("Nota", TipoMemo));
    db.AppendTableDef(def);
    const std::string longa(70000, 'x');
    db.Execute("INSERT INTO Contas VALUES (9223372036854775807, '" + longa +
               "'), (-125000, 'Abc')");
    Recordset rs = db.OpenRecordset(
        "SELECT * FROM Contas WHERE Nota = 'ABC' OR length(Nota) > 65536 ORDER BY Valor");
    ASSERT_EQ(rs.FieldDefs()["Valor"].Type(), TipoMoeda);
    EXPECT_EQ(rs["Valor"], Value("-12.5"));
    rs.MoveNext();
    EXPECT_EQ(rs["Valor"], Value("922337203685477.5807"));
    EXPECT_EQ(rs["Nota"].text()->size(), longa.size());
    EXPECT_EQ(db.TableDef("Contas").Fields()["Nota"].Type(), TipoMemo);
}

// The declared types reach the mapping as SQLite keeps them.
TEST_F(FieldTypesInFile, ColumnsOfEveryDeclaredTypeReadBack) {
    std::string sql = "CREATE TABLE t (";
    for (std::size_t i = 0; i < std::size(kMappings); ++i) {
        sql += (i ? ", " : "") + quote_identifier("c" + std::to_string(i)) + " " +
               kMappings[i].declared;
    }
    Database db = make("tipos.mdb", sql + ")");
    const TableDef table = db.TableDef("T");
    ASSERT_EQ(table.Fields().Count(), std::size(kMappings));
    for (std::size_t k = 0; k < std::size(kMappings); ++k) {
        EXPECT_EQ(table.Fields()[k].Type(), kMappings[k].code) << kMappings[k].declared;
        EXPECT_EQ(table.Fields()[k].Size(), kMappings[k].size) << kMappings[k].declared;
    }
}

}  // namespace
}  // namespace pezolva::engine::testing
