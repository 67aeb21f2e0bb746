#include "backup/nome_copia.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>
#include <string_view>

#include "common/text.h"
#include "support/temp_dir.h"

namespace pezolva::backup {
namespace {

const DateTime k19May2005At1407{2005, 5, 19, 14, 7, 0};

TEST(NomeCopiaTest, BaseThenStampThenTheLastFourCharactersAsWritten) {
    EXPECT_EQ(nome_copia("brasol.mdb", k19May2005At1407), "brasol200505191407.mdb");
    EXPECT_EQ(nome_copia("/dados/obras/brasol.mdb", k19May2005At1407), "brasol200505191407.mdb");
    EXPECT_EQ(nome_copia("Brasol.MDB", k19May2005At1407), "Brasol200505191407.MDB");
    EXPECT_EQ(nome_copia("/dados/função.mdb", DateTime{2005, 1, 2, 3, 4, 59}),
              "função200501020304.mdb");
    EXPECT_EQ(nome_copia(".mdb", k19May2005At1407), "200505191407.mdb");
    EXPECT_EQ(nome_copia("/d/bdção", k19May2005At1407), "b200505191407dção");
}

TEST(NomeCopiaTest, RefusesNamesWithoutRoomForABaseAndInvalidMoments) {
    EXPECT_THROW(nome_copia("a.b", k19May2005At1407), std::invalid_argument);
    EXPECT_THROW(nome_copia("/dados/", k19May2005At1407), std::invalid_argument);
    EXPECT_THROW(nome_copia("", k19May2005At1407), std::invalid_argument);
    EXPECT_THROW(nome_copia("brasol.mdb", DateTime{2005, 2, 30, 14, 7, 0}), std::invalid_argument);
}

// Whatever the minute, the copy made is one the retention will find and
// the restore will list, under that minute.
TEST(NomeCopiaTest, EveryMinuteOfADayNamesACopyBothReadingsRecognise) {
    for (int minutes = 0; minutes < 24 * 60; minutes += 7) {
        const DateTime t{2024, 2, 29, minutes / 60, minutes % 60, 0};
        const std::string copia = nome_copia("/y/brasol.mdb", t);
        EXPECT_EQ(carimbo_de_copia("/x/brasol.mdb", copia, LeituraCopia::ParaApagar), t.stamp());
        EXPECT_EQ(carimbo_de_copia("brasol.mdb", copia, LeituraCopia::ParaListar), t.stamp());
    }
}

// How the restore recognises a copy of N (the database's name less
// ".mdb"): f is N (any case), twelve characters read as a number, then any
// four.  The numeric reading here is more generous than any locale's: it
// takes every character a number may be written with, exponent and
// hexadecimal markers included.
bool restore_takes_as_copy(std::string_view n, std::string_view f) {
    if (f.size() != n.size() + 16 || !iequals(f.substr(0, n.size()), n)) return false;
    for (char c : f.substr(n.size(), 12)) {
        if (std::string_view("0123456789+-.,' eEdD&hHoO").find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

TEST(NomeTemporarioTest, IsNeverTakenForACopyByAnyTest) {
    const char* databases[] = {"brasol.mdb",      "/dados/BRASOL.MDB",     "a.mdb",     ".mdb",
                               "2005.mdb",        "/d/função.mdb",         "x.mdb.mdb", "1234",
                               "pezolva-tmp.mdb", "brasol200505191407.mdb"};
    std::mt19937_64 generator(20050519);
    std::vector<std::uint64_t> tokens = {0, ~std::uint64_t{0}, 0x0123456789012345,
                                         0x9999999999999999};
    for (int i = 0; i < 500; ++i) tokens.push_back(generator());

    for (const char* database : databases) {
        const std::string copia = nome_copia(database, k19May2005At1407);
        std::string n = file_name_of(database);
        if (iends_with(n, ".mdb")) n.resize(n.size() - 4);
        for (const std::uint64_t token : tokens) {
            const std::string t = nome_temporario(copia, token);
            SCOPED_TRACE(t);
            EXPECT_TRUE(nome_temporario_de_copia(t));
            EXPECT_FALSE(nome_copia_valido(database, t));
            EXPECT_FALSE(nome_copia_valido(t, t));
            EXPECT_FALSE(carimbo_de_copia(database, t, LeituraCopia::ParaApagar));
            EXPECT_FALSE(carimbo_de_copia(database, t, LeituraCopia::ParaListar));
            // Retention lists base + "*" + ".mdb".
            EXPECT_FALSE(iends_with(t, ".mdb"));
            // The restore, for this database and for a database named so
            // that its name is exactly what precedes the twelve characters.
            EXPECT_FALSE(restore_takes_as_copy(n, t));
            EXPECT_FALSE(restore_takes_as_copy(t.substr(0, t.size() - 16), t));
        }
    }
}

TEST(NomeTemporarioTest, OneNamePerTokenBesideTheCopy) {
    EXPECT_EQ(nome_temporario("brasol200505191407.mdb", 0x00ff12ab34cd56efu),
              ".brasol200505191407.mdb.00ff12ab34cd56ef.pezolva-tmp");
    std::set<std::string> names;
    for (std::uint64_t token = 0; token < 1000; ++token) {
        names.insert(nome_temporario("brasol200505191407.mdb", token * 0x9E3779B97F4A7C15u));
    }
    EXPECT_EQ(names.size(), 1000u);
    EXPECT_EQ(nome_temporario("brasol200505191407.mdb", 7).find('/'), std::string::npos);
}

TEST(NomeTemporarioTest, LongNamesAreShortenedToAFileNameTheDiskTakes) {
    std::string database;
    for (int i = 0; i < 120; ++i) database += "ç";  // 240 bytes
    database += ".mdb";
    const std::string copia = nome_copia(database, k19May2005At1407);
    const std::string t = nome_temporario(copia, 42);
    EXPECT_LE(t.size(), 255u);
    EXPECT_TRUE(nome_temporario_de_copia(t));
    // Cut at a character boundary: the kept part is a prefix of the copy
    // name made of whole characters.
    const std::string kept = t.substr(1, t.size() - 30);
    EXPECT_EQ(copia.compare(0, kept.size(), kept), 0);
    EXPECT_GT(kept.size(), 200u);
    EXPECT_NE(static_cast<unsigned char>(copia[kept.size()]) & 0xC0, 0x80);

    testing::TempDir dir;
    testing::write_file(dir.file(t), "x");
    EXPECT_EQ(testing::read_file(dir.file(t)), "x");
}

TEST(NomeTemporarioDeCopiaTest, RecognisesOnlyItsOwnShape) {
    EXPECT_TRUE(nome_temporario_de_copia(".b.0000000000000000.pezolva-tmp"));
    const char* others[] = {
        "brasol200505191407.mdb",
        "tmp.mdb",
        "brasol.mdb",
        "..0000000000000000.pezolva-tmp",    // no copy name
        "b.0000000000000000.pezolva-tmp",    // no leading dot
        ".b.000000000000000.pezolva-tmp",    // 15 digits
        ".b.00000000000000000.pezolva-tmp",  // 17 digits
        ".b.00000000000000AB.pezolva-tmp",   // upper case
        ".b.000000000000000g.pezolva-tmp",
        ".b.0000000000000000.pezolva-tmp~",
        ".b.0000000000000000.PEZOLVA-TMP",
        ".b-0000000000000000.pezolva-tmp",
    };
    for (const char* name : others) EXPECT_FALSE(nome_temporario_de_copia(name)) << name;
}

}  // namespace
}  // namespace pezolva::backup
