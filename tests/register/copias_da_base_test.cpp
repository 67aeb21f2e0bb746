#include "register/copias_da_base.h"

#include <gtest/gtest.h>

namespace pezolva {
namespace {

TEST(PastaDasCopias, AnEmptyDestinationMeansBesideTheDatabaseAndNoFolderKeepsAFinalSlash) {
    EXPECT_EQ(pasta_das_copias("", "/dados/obras"), "/dados/obras");
    EXPECT_EQ(pasta_das_copias("", "/dados/obras/"), "/dados/obras");
    EXPECT_EQ(pasta_das_copias("/copias", "/dados/obras"), "/copias");
    EXPECT_EQ(pasta_das_copias("/copias//", "/dados/obras"), "/copias");
    EXPECT_EQ(pasta_das_copias("/", "/dados/obras"), "/");
}

TEST(BaseCopia, TheFileNameLessItsLastFourCharacters) {
    EXPECT_EQ(base_copia("/dados/brasol.mdb"), "brasol");
    EXPECT_EQ(base_copia("dados.accdb"), "dados.a");
    EXPECT_EQ(base_copia("/d/função.mdb"), "função");
    EXPECT_EQ(base_copia("/d/bdção"), "b");  // four characters, not four bytes
    EXPECT_EQ(base_copia(".mdb"), "");
    EXPECT_FALSE(base_copia("/dados/a.b"));
    EXPECT_FALSE(base_copia("/dados/"));
    EXPECT_FALSE(base_copia(""));
}

TEST(NomeProcurado, TheRegisteredNameLessAFinalMdbInAnyCase) {
    EXPECT_EQ(nome_procurado("brasol.mdb"), "brasol");
    EXPECT_EQ(nome_procurado("brasol.MDB"), "brasol");
    EXPECT_EQ(nome_procurado("brasol.bak"), "brasol.bak");
    EXPECT_EQ(nome_procurado("dados/brasol.mdb"), "dados/brasol");
    EXPECT_EQ(nome_procurado(""), "");
}

struct NameCase {
    const char* original;
    const char* nome;
};

TEST(NomeCopiaValido, AcceptsCopyNames) {
    const NameCase accepted[] = {
        {"brasol.mdb", "brasol200505191407.mdb"},
        {"brasol.mdb", "BRASOL200505191407.MDB"},
        {"brasol.mdb", "brasol200505191407.Mdb"},
        {"/dados/obras/brasol.mdb", "brasol200505191407.mdb"},
        {"brasol.MDB", "brasol200505191407.mdb"},
        {"brasol.mdb", "brasol200402291407.mdb"},  // 29 February of a leap year
        {"brasol.mdb", "brasol200002290000.mdb"},  // 2000 is a leap year
        {"brasol.mdb", "brasol200512312359.mdb"},
        {"brasol.mdb", "brasol200501010000.mdb"},
        {"função.mdb", "função200505191407.mdb"},  // lengths in characters
        {"função.mdb", "FUNÇÃO200505191407.mdb"},
        {".mdb", "200505191407.mdb"},
        // The prefix is carimbo_de_copia's to compare, not this test's.
        {"brasol.mdb", "xxxxxx200505191407.mdb"},
    };
    for (const auto& c : accepted) {
        EXPECT_TRUE(nome_copia_valido(c.original, c.nome)) << c.original << " / " << c.nome;
    }
}

TEST(NomeCopiaValido, RefusesEverythingElse) {
    const NameCase refused[] = {
        {"brasol.mdb", "brasol200502301407.mdb"},   // 30 February
        {"brasol.mdb", "brasol200502291407.mdb"},   // 29 February, not a leap year
        {"brasol.mdb", "brasol190002291407.mdb"},   // 1900 is not a leap year
        {"brasol.mdb", "brasol200504311407.mdb"},   // 31 April
        {"brasol.mdb", "brasol200505191460.mdb"},   // minute 60
        {"brasol.mdb", "brasol200505192407.mdb"},   // hour 24
        {"brasol.mdb", "brasol200513191407.mdb"},   // month 13
        {"brasol.mdb", "brasol200500191407.mdb"},   // month 0
        {"brasol.mdb", "brasol200505001407.mdb"},   // day 0
        {"brasol.mdb", "brasol20050519140.mdb"},    // 11 digits
        {"brasol.mdb", "brasol2005051914070.mdb"},  // 13 digits
        {"brasol.mdb", "brasol2005O5191407.mdb"},   // a letter O
        {"brasol.mdb", "brasol+20505191407.mdb"},
        {"brasol.mdb", "brasol 2005051914.mdb"},
        {"brasol.mdb", "brasol200505191407.bak"},
        {"brasol.mdb", "brasol200505191407.mdb~"},
        {"brasol.mdb", "brasol200505191407mdb"},
        {"brasol.mdb", "brasol_fotos200505191407.mdb"},  // another database's copy
        {"brasol.mdb", "brasol.mdb"},
        {"brasol.mdb", "brasol.mdb200505191407"},
        {"brasol.mdb", ".mdb"},
        {"brasol.mdb", ""},
        {"brasol_fotos.mdb", "brasol200505191407.mdb"},
        {"função.mdb", "funçã200505191407.mdb"},  // one character short
        {"a.b", "a.b200505191407.mdb"},
        {"a.b", "200505191407.mdb"},
        {"/dados/abc", "200505191407.mdb"},
        {"", "200505191407.mdb"},
        {"/dados/", "brasol200505191407.mdb"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(nome_copia_valido(c.original, c.nome)) << c.original << " / " << c.nome;
    }
}

// One file name against one database, read both ways.
struct Leitura {
    const char* nome_bd;
    const char* ficheiro;
    const char* para_apagar;  // the stamp, or nullptr: not a copy
    const char* para_listar;
};

TEST(CarimboDeCopia, TheTwoReadingsOfACopysName) {
    for (const Leitura& c : {
             Leitura{"brasol.mdb", "brasol200505191407.mdb", "200505191407", "200505191407"},
             Leitura{"brasol.mdb", "BRASOL200505191407.MDB", "200505191407", "200505191407"},
             Leitura{"Évora.mdb", "évora200505191407.mdb", "200505191407", "200505191407"},
             // An odd stamp is listed, so that the copy can be restored, and
             // never deleted.
             Leitura{"brasol.mdb", "brasol999999999999.mdb", nullptr, "999999999999"},
             Leitura{"brasol.mdb", "brasol200502301407.mdb", nullptr, "200502301407"},
             // Deleting reads the file name of a path; listing compares the
             // registered name whole, and a listed name has no folder.
             Leitura{"/dados/brasol.mdb", "brasol200505191407.mdb", "200505191407", nullptr},
             Leitura{"dados/brasol.mdb", "brasol200505191407.mdb", "200505191407", nullptr},
             // A name not ending in ".mdb": deleting cuts four characters,
             // listing none.
             Leitura{"dados.accdb", "dados.a200505191407.mdb", "200505191407", nullptr},
             Leitura{"dados.accdb", "dados.accdb200505191407.mdb", nullptr, "200505191407"},
             // A Null name lists files of a stamp alone; nothing is deleted
             // for it.
             Leitura{"", "200505191407.mdb", nullptr, "200505191407"},
             Leitura{"brasol.mdb", "brasol_fotos200505191407.mdb", nullptr, nullptr},
             Leitura{"brasol.mdb", "brasol2005051914.mdb", nullptr, nullptr},
             Leitura{"brasol.mdb", "brasol200505191407.bak", nullptr, nullptr},
             Leitura{"brasol.mdb", "brasol20050519140a.mdb", nullptr, nullptr},
             Leitura{"brasol.mdb", "brasol.mdb", nullptr, nullptr},
             // Pattern characters are ordinary characters.
             Leitura{"brasol[1].mdb", "brasol[1]200505191407.mdb", "200505191407", "200505191407"},
             Leitura{"brasol[1].mdb", "brasol1200505191407.mdb", nullptr, nullptr},
             Leitura{"brasol*.mdb", "brasolx200505191407.mdb", nullptr, nullptr},
             Leitura{"brasol?.mdb", "brasolx200505191407.mdb", nullptr, nullptr},
         }) {
        SCOPED_TRACE(std::string(c.nome_bd) + " / " + c.ficheiro);
        for (const auto& [leitura, esperado] :
             {std::pair{LeituraCopia::ParaApagar, c.para_apagar},
              std::pair{LeituraCopia::ParaListar, c.para_listar}}) {
            const std::optional<std::string> carimbo =
                carimbo_de_copia(c.nome_bd, c.ficheiro, leitura);
            if (esperado == nullptr) {
                EXPECT_FALSE(carimbo.has_value()) << *carimbo;
            } else {
                EXPECT_EQ(carimbo.value_or("(nenhum)"), esperado);
            }
        }
    }
}

}  // namespace
}  // namespace pezolva
