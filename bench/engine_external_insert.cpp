// Measures the external insert ("insert into T in 'file' select * from T")
// against VACUUM INTO of the same database, the way the backup uses it:
// a structure copy with every relation and index, filled table by table
// in relation order, then compacted.
//
// Usage: engine_external_insert_bench <folder> [scale] [runs]
// scale 1 makes about 80 MB; the database is made once and kept in the
// folder for later runs.  Runs: 5 by default.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/quoting.h"
#include "relata_falha.h"
#include "tempo.h"

namespace fs = std::filesystem;
using pezolva::engine::CompactDatabase;
using pezolva::engine::CreateDatabase;
using pezolva::engine::Database;
using pezolva::engine::OpenDatabase;
using pezolva::engine::quote_literal;

namespace {

const char* const kSchema = R"(
CREATE TABLE Clientes (Numero INTEGER PRIMARY KEY, Nome TEXT(100) COLLATE NOCASE NOT NULL,
                       Morada TEXT(200), Nif CHAR(9) UNIQUE, Activo BOOLEAN);
CREATE TABLE Artigos (Codigo TEXT(20) COLLATE NOCASE, Descricao TEXT(120), Preco NUMERIC(10,2),
                      CONSTRAINT "PrimaryKey" PRIMARY KEY (Codigo));
CREATE TABLE Facturas (Numero INTEGER PRIMARY KEY, Cliente LONG NOT NULL
                           CONSTRAINT ClientesFacturas REFERENCES Clientes (Numero),
                       Data DATETIME, Total DOUBLE, Obs TEXT(255));
CREATE INDEX ix_facturas_cliente ON Facturas (Cliente);
CREATE TABLE Linhas (Factura LONG NOT NULL, Linha SMALLINT NOT NULL, Artigo TEXT(20) COLLATE NOCASE,
                     Quantidade DOUBLE, Preco NUMERIC(10,2),
                     CONSTRAINT "PrimaryKey" PRIMARY KEY (Factura, Linha),
                     CONSTRAINT FacturasLinhas FOREIGN KEY (Factura) REFERENCES Facturas (Numero),
                     CONSTRAINT ArtigosLinhas FOREIGN KEY (Artigo) REFERENCES Artigos (Codigo));
CREATE INDEX ix_linhas_artigo ON Linhas (Artigo);
)";

const char* const kTables[] = {"Clientes", "Artigos", "Facturas", "Linhas"};  // relation order

void make_live(const std::string& path, int scale) {
    Database db = CreateDatabase(path);
    db.Execute(kSchema);
    db.Execute("BEGIN");
    const std::string n = std::to_string(scale);
    db.Execute("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 50000 * " +
               n +
               ") "
               "INSERT INTO Clientes SELECT i, 'Cliente ' || i || ' ' || hex(randomblob(20)), "
               "'Rua ' || hex(randomblob(40)), printf('%09d', i), i % 2 FROM s");
    db.Execute(
        "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 5000) "
        "INSERT INTO Artigos SELECT printf('A%06d', i), 'Artigo ' || hex(randomblob(30)), i % 500 "
        "+ 0.25 FROM s");
    db.Execute(
        "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 200000 * " + n +
        ") "
        "INSERT INTO Facturas SELECT i, 1 + (i * 7919) % (50000 * " +
        n +
        "), "
        "date('2005-01-01', '+' || (i % 6000) || ' days') || ' 10:00:00', i * 1.5, "
        "CASE WHEN i % 3 = 0 THEN NULL ELSE hex(randomblob(25)) END FROM s");
    db.Execute(
        "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 800000 * " + n +
        " - 1) "
        "INSERT INTO Linhas SELECT 1 + i / 4, i % 4, printf('A%06d', 1 + i % 5000), i % 9 + 1, "
        "(i % 1000) / 4.0 FROM s");
    db.Execute("COMMIT");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s <folder> [scale] [runs]\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    const int scale = argc > 2 ? std::stoi(argv[2]) : 1;
    const int runs = argc > 3 ? std::max(1, std::stoi(argv[3])) : 5;
    fs::create_directories(folder);
    const std::string live = (folder / "live.mdb").string();
    const std::string structure = (folder / "estr.ebd").string();
    try {
        if (!fs::exists(live)) {
            auto start = std::chrono::steady_clock::now();
            make_live(live, scale);
            std::printf("made %s: %.0f MB in %.1f s\n", live.c_str(), fs::file_size(live) / 1e6,
                        bench::seconds_since(start));
        }
        fs::remove(structure);
        CreateDatabase(structure).Execute(kSchema);

        // Alternating runs; medians, since a shared machine is noisy.
        std::vector<double> vacuums, inserts, compactions;
        long long total = 0;
        for (int run = 0; run < runs; ++run) {
            // VACUUM INTO of the live database: the yardstick.
            const std::string vacuum = (folder / "vacuum.mdb").string();
            fs::remove(vacuum);
            auto start = std::chrono::steady_clock::now();
            CompactDatabase(live, vacuum);
            vacuums.push_back(bench::seconds_since(start));
            fs::remove(vacuum);

            // The backup's way: structure copy, one count and one insert per
            // table, then compaction.
            const std::string copy = (folder / "copia.mdb").string();
            const std::string compacted = (folder / "copia_compacta.mdb").string();
            fs::remove(copy);
            fs::remove(compacted);
            fs::copy_file(structure, copy);
            start = std::chrono::steady_clock::now();
            Database db = OpenDatabase(live);
            total = 0;
            for (const char* table : kTables) {
                const auto count = db.OpenRecordset(std::string("select count(*) from ") + table)
                                       .Fields(std::size_t{0})
                                       .to_integer();
                db.Execute(std::string("insert into ") + table + " in " + quote_literal(copy) +
                           " select * from " + table);
                if (count != db.RecordsAffected())
                    std::printf("%s: %lld rows, %lld kept\n", table, static_cast<long long>(*count),
                                static_cast<long long>(db.RecordsAffected()));
                total += db.RecordsAffected();
            }
            db.Close();
            inserts.push_back(bench::seconds_since(start));
            start = std::chrono::steady_clock::now();
            CompactDatabase(copy, compacted);
            compactions.push_back(bench::seconds_since(start));
            fs::remove(copy);
            fs::remove(compacted);
        }
        const double vacuum_s = bench::median(vacuums);
        const double insert_s = bench::median(inserts);
        const double compact_s = bench::median(compactions);
        std::printf("database %.0f MB, %lld rows, %d runs, medians:\n", fs::file_size(live) / 1e6,
                    total, runs);
        std::printf("VACUUM INTO                 %7.2f s\n", vacuum_s);
        std::printf("counts and external inserts %7.2f s  (%.2f x VACUUM INTO)\n", insert_s,
                    insert_s / vacuum_s);
        std::printf("compaction of the copy      %7.2f s\n", compact_s);
        std::printf("whole copy                  %7.2f s  (%.2f x VACUUM INTO)\n",
                    insert_s + compact_s, (insert_s + compact_s) / vacuum_s);
    } catch (const std::exception& e) {
        return relata_falha(e);
    }
    return 0;
}
