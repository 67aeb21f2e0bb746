#include "compaction/nomes_compactacao.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/fixtures.h"
#include "support/sem_privilegios.h"

namespace pezolva {
namespace {

const DateTime kMomento{2006, 12, 5, 14, 30, 12};

TEST(NomesCompactacao, TemporaryAndDatedNames) {
    EXPECT_EQ(nome_temporario("brasol.mdb", kMomento), "brasol.mdb05122006143012");
    EXPECT_EQ(nome_temporario("log.mdb", DateTime{2007, 1, 2, 3, 4, 5}), "log.mdb02012007030405");
    const struct {
        const char* nome;
        std::optional<std::string> antiga;
    } casos[] = {
        {"brasol.mdb", "brasol200612051430.mdb"},
        {"dados.accdb", "dados.a200612051430.mdb"},
        {"a.md", "200612051430.mdb"},
        {"ab", std::nullopt},
        {"", std::nullopt},
        {"Obras Ção.mdb", "Obras Ção200612051430.mdb"},
        {"fotos.çãõé", "fotos.200612051430.mdb"},  // four characters, not four bytes
    };
    for (const auto& c : casos) EXPECT_EQ(nome_antiga(c.nome, kMomento), c.antiga) << c.nome;
}

TEST(NomesCompactacao, WhatAKilledCompactionLeavesIsRecognisedAndNothingElse) {
    for (const char* sim : {"brasol.mdb05122006143012", ".brasol.mdb05122006143012.parcial"}) {
        EXPECT_TRUE(e_sobra_temporaria("brasol.mdb", sim)) << sim;
    }
    for (const char* nao : {"brasol.mdb", "brasol.mdb0512200614301", "brasol.mdb0512200614301x",
                            "brasol.mdb051220061430123", "outra.mdb05122006143012",
                            ".brasol.mdb05122006143012", "brasol200612051430.mdb"}) {
        EXPECT_FALSE(e_sobra_temporaria("brasol.mdb", nao)) << nao;
    }
    EXPECT_TRUE(e_nome_antiga("brasol.mdb", "brasol200612051430.mdb"));
    for (const char* nao : {"brasol20061205143.mdb", "brasol200612051430.mdbx",
                            "brasolx00612051430.mdb", "brasol_fotos200612051430.mdb"}) {
        EXPECT_FALSE(e_nome_antiga("brasol.mdb", nao)) << nao;
    }
}

// A project folder "p" with its "jetcomp4" subfolder, and the launcher's "bin".
struct PastasJetcomp {
    PastasJetcomp() {
        std::filesystem::create_directories(pasta + "/jetcomp4");
        std::filesystem::create_directories(programas);
    }
    testing::TempDir dir;
    LocalFileSystem files;
    const std::string pasta = dir.file("p"), programas = dir.file("bin");
};

TEST(NomesCompactacao, TheToolIsLookedForInTheSubfolderThenTheFolderThenBesideTheLauncher) {
    PastasJetcomp p;
    auto& [dir, files, pasta, programas] = p;
    EXPECT_EQ(procura_jetcomp(files, pasta, {programas}), std::nullopt);
    testing::write_file(programas + "/jetcomp", "");
    EXPECT_EQ(procura_jetcomp(files, pasta, {programas}), programas + "/jetcomp");
    testing::write_file(pasta + "/jetcomp", "");
    EXPECT_EQ(procura_jetcomp(files, pasta, {programas}), pasta + "/jetcomp");
    testing::write_file(pasta + "/jetcomp4/jetcomp", "");
    EXPECT_EQ(procura_jetcomp(files, pasta, {programas}), pasta + "/jetcomp4/jetcomp");
}

// The tool gets the password: one that someone else could have put in a
// shared project folder is passed over for the installed one.
TEST(NomesCompactacao, AToolInTheProjectFolderRunsOnlyWhenNobodyElseCouldHavePutItThere) {
    PastasJetcomp p;
    auto& [dir, files, pasta, programas] = p;
    ::chmod(pasta.c_str(), 0755);
    ::chmod((pasta + "/jetcomp4").c_str(), 0755);
    testing::write_file(programas + "/jetcomp", "");
    testing::write_file(pasta + "/jetcomp4/jetcomp", "");
    ::chmod((pasta + "/jetcomp4/jetcomp").c_str(), 0755);
    std::string passada;
    EXPECT_EQ(procura_jetcomp(files, pasta, {programas}, &passada), pasta + "/jetcomp4/jetcomp");
    EXPECT_EQ(passada, "");

    for (const std::string& aberto : {pasta, pasta + "/jetcomp4", pasta + "/jetcomp4/jetcomp"}) {
        SCOPED_TRACE(aberto);
        ::chmod(aberto.c_str(), 0775);
        passada.clear();
        EXPECT_EQ(procura_jetcomp(files, pasta, {programas}, &passada), programas + "/jetcomp");
        EXPECT_NE(passada.find(pasta + "/jetcomp4/jetcomp"), std::string::npos) << passada;
        EXPECT_NE(passada.find("alterado por outros"), std::string::npos) << passada;
        ::chmod(aberto.c_str(), 0755);
    }
    ::chown((pasta + "/jetcomp4/jetcomp").c_str(), testing::kUtilizadorComum,
            static_cast<gid_t>(-1));
    if (::geteuid() != testing::kUtilizadorComum) {
        passada.clear();
        EXPECT_EQ(procura_jetcomp(files, pasta, {programas}, &passada), programas + "/jetcomp");
        EXPECT_NE(passada.find("outro utilizador"), std::string::npos) << passada;
    }
}

}  // namespace
}  // namespace pezolva
