#include "restore/copias_encontradas.h"

#include <gtest/gtest.h>

#include "backup/nome_copia.h"
#include "support/temp_dir.h"

namespace pezolva::restore {
namespace {

TEST(CarimboDeCopiaTest, WhatIsACopyOfAName) {
    struct Caso {
        const char* nome;
        const char* ficheiro;
        const char* carimbo;  // nullptr: not a copy
    };
    for (const Caso& c : {
             Caso{"brasol", "brasol200505191407.mdb", "200505191407"},
             Caso{"brasol", "BRASOL200505191407.MDB", "200505191407"},
             Caso{"brasol", "brasol999999999999.mdb", "999999999999"},  // not a date, still listed
             Caso{"", "200505191407.mdb", "200505191407"},              // a Null name
             Caso{"brasol[1]", "brasol[1]200505191407.mdb", "200505191407"},
             Caso{"Évora", "évora200505191407.mdb", "200505191407"},  // accented letters too
             Caso{"Évora", "Évora200505191407.mdb", "200505191407"},
             Caso{"brasol", "brasol_fotos200505191407.mdb", nullptr},  // another database's
             Caso{"brasol", "brasol2005051914.mdb", nullptr},          // ten digits
             Caso{"brasol", "brasol200505191407.bak", nullptr},
             Caso{"brasol", "brasol20050519140a.mdb", nullptr},
             Caso{"brasol[1]", "brasol1200505191407.mdb", nullptr},  // "[" is no pattern
             Caso{"brasol*", "brasolx200505191407.mdb", nullptr},
             Caso{"dados/brasol", "brasol200505191407.mdb",
                  nullptr},  // a listed name has no folder
             Caso{"brasol", "brasol.mdb", nullptr},
         }) {
        SCOPED_TRACE(std::string(c.nome) + " / " + c.ficheiro);
        const auto carimbo = carimbo_de_copia(c.nome, c.ficheiro);
        if (c.carimbo == nullptr) {
            EXPECT_FALSE(carimbo.has_value());
        } else {
            EXPECT_EQ(carimbo.value_or("(nenhum)"), c.carimbo);
        }
    }
    // The backup's own temporary names are never copies.
    EXPECT_FALSE(carimbo_de_copia("brasol", backup::nome_temporario("brasol200505191407.mdb", 7)));
    EXPECT_FALSE(carimbo_de_copia("", backup::nome_temporario("200505191407.mdb", 7)));
}

TEST(ColunasTest, DateAndSizeAsShownAndAsSorted) {
    EXPECT_EQ(nome_procurado("brasol.MDB"), "brasol");
    EXPECT_EQ(nome_procurado("brasol.bak"), "brasol.bak");
    EXPECT_EQ(data_do_carimbo("200505191407"), "19-05-2005 14:07");
    EXPECT_EQ(data_do_carimbo("999999999999"), "99-99-9999 99:99");
    EXPECT_EQ(tamanho_em_kbytes(400, "."), "<1");
    EXPECT_EQ(tamanho_em_kbytes(499, "."), "<1");
    EXPECT_EQ(tamanho_em_kbytes(500, "."), "1");
    EXPECT_EQ(tamanho_em_kbytes(1'499'999, "."), "1.500");
    EXPECT_EQ(tamanho_em_kbytes(1'499'999, "\u00a0"), "1\u00a0500");
    EXPECT_EQ(tamanho_em_kbytes(3'000'000'000ull, "."), "3.000.000");
    EXPECT_EQ(tamanho_ordenavel(400), "000000000");
    EXPECT_EQ(tamanho_ordenavel(1'499'999), "000001500");
    EXPECT_EQ(tamanho_ordenavel(3'000'000'000ull), "003000000");
}

TEST(JuntaPastaTest, NoEmptyFolderAndNoneTwiceWhateverTheCase) {
    std::vector<std::string> pastas;
    for (const char* p : {"/dados/obras", "", "/DADOS/Obras", "/dados/obras/", "/copias"})
        junta_pasta(pastas, p);
    EXPECT_EQ(pastas, (std::vector<std::string>{"/dados/obras", "/dados/obras/", "/copias"}));
}

class ProcuraCopiasTest : public ::testing::Test {
  protected:
    void cria(const std::string& pasta, const std::string& nome, std::size_t bytes) {
        LocalFileSystem files;
        create_directories(files, dir.file(pasta));
        testing::write_file(dir.file(pasta + "/" + nome), std::string(bytes, 'x'));
    }
    testing::TempDir dir;
    LocalFileSystem files;
};

TEST_F(ProcuraCopiasTest, EachFileOnceFromTheFirstFolderAndTheRestOfAListingStillSearched) {
    cria("a", "brasol200505191407.mdb", 1500);
    cria("a", "brasol_fotos200505191407.mdb", 10);
    cria("b", "brasol200505191407.mdb", 99);  // the same name in another folder
    cria("b", "brasol200506011200.mdb", 2500);
    cria("b", "outra200506011200.mdb", 10);
    std::vector<std::string> procuradas;
    const auto copias = procura_copias(files, {dir.file("a"), dir.file("b"), dir.file("falta")},
                                       {"brasol.mdb", "BRASOL.mdb", "brasol_fotos.mdb"}, ".",
                                       [&](const std::string& p) {
                                           procuradas.push_back(p);
                                           return true;
                                       });
    ASSERT_EQ(copias.size(), 3u);
    EXPECT_EQ(procuradas.size(), 9u) << "every folder for every register row";
    std::vector<std::string> vistas;
    for (const auto& c : copias)
        vistas.push_back(c.caminho.substr(dir.str().size()) + "/" + c.nome_fich);
    std::sort(vistas.begin(), vistas.end());
    EXPECT_EQ(vistas, (std::vector<std::string>{"/a/brasol200505191407.mdb",
                                                "/a/brasol_fotos200505191407.mdb",
                                                "/b/brasol200506011200.mdb"}));
    for (const auto& c : copias) {
        if (c.nome_fich == "brasol200505191407.mdb") {
            EXPECT_EQ(c.bd, "brasol");
            EXPECT_EQ(c.tamanho, "2");
            EXPECT_EQ(c.bytes, 1500u);
        }
    }
}

TEST_F(ProcuraCopiasTest, EachColumnSortsBothWays) {
    cria("a", "brasol200505191407.mdb", 9000);
    cria("a", "brasol200601010000.mdb", 700);
    cria("B", "log200412312359.mdb", 120000);
    auto copias =
        procura_copias(files, {dir.file("a"), dir.file("B")}, {"brasol.mdb", "log.mdb"}, ".");
    const auto primeira = [&](int coluna, bool desc) {
        ordena(copias, coluna, desc);
        return copias.front().nome_fich;
    };
    EXPECT_EQ(primeira(2, true), "brasol200601010000.mdb") << "newest first";
    EXPECT_EQ(primeira(2, false), "log200412312359.mdb");
    EXPECT_EQ(primeira(5, true), "log200412312359.mdb") << "by the number, not the shown text";
    EXPECT_EQ(primeira(5, false), "brasol200601010000.mdb");
    EXPECT_EQ(primeira(1, true), "log200412312359.mdb");
    EXPECT_EQ(primeira(4, true), "log200412312359.mdb")
        << "folder B after folder a, letter case aside";
    EXPECT_EQ(primeira(0, false), "brasol200505191407.mdb");
}

}  // namespace
}  // namespace pezolva::restore
