#include "restore/copias_encontradas.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pezolva::restore {
namespace {

TEST(ColunasTest, DateAndSizeAsShownAndAsSorted) {
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
