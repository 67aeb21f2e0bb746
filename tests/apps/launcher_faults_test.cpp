// The unattended backup when the machine fails under it: the writes of the
// process refused, or a signal delivered, in the middle of SQLite's work,
// injected with strace at the system-call level.
#include <map>

#include "launcher_fixture.h"

namespace pezolva {
namespace {

class LauncherFaultsTest : public LauncherBackupTest {
  protected:
    void SetUp() override {
        LauncherBackupTest::SetUp();
        if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0) {
            GTEST_SKIP() << "strace cannot trace here";
        }
        ASSERT_EQ(
            corre({"start", q(pasta()), "obras", "brasol.mdb", "--answer", "fazer"}, "kqa730418")
                .saida,
            0);
        antes = conteudo();
    }
    // The backup of brasol.mdb with `injeccao` applied to the process's
    // pwrite64 calls, the way SQLite writes a database.
    Resultado copia_com(const std::string& injeccao) {
        return corre({"backup", "--project", "obras", "brasol.mdb"}, "kqa730418", "", false,
                     sob_strace("pwrite64", q("pwrite64:" + injeccao)));
    }
    // Every file of the copies folder, hidden ones included, with its bytes.
    std::map<std::string, std::string> conteudo() {
        LocalFileSystem files;
        std::map<std::string, std::string> c;
        for (const std::string& f : files.list_files(pasta() + "/copiaseg")) {
            c[f] = testing::read_file(pasta() + "/copiaseg/" + f);
        }
        return c;
    }
    // Error lines in the run's output.
    static int linhas_de_erro(const std::string& out) {
        const auto inicio = out.find("\nErros:\n");
        if (inicio == std::string::npos) return 0;
        return static_cast<int>(
            std::count(out.begin() + static_cast<long>(inicio) + 8, out.end(), '\n'));
    }

    std::map<std::string, std::string> antes;
};

TEST_F(LauncherFaultsTest, AFullDiskOrAWriteErrorLeavesNoCopyAndTheGoodOnesAsTheyWere) {
    struct Caso {
        std::string injeccao;
        std::string erro;
    };
    const std::string pasta_copias = pasta() + "/copiaseg";
    for (const Caso& caso :
         {Caso{"error=ENOSPC:when=40+",
               "Não há espaço suficiente no disco da pasta " + pasta_copias + " para a cópia "},
          Caso{"error=ENOSPC:when=5+",
               "Não há espaço suficiente no disco da pasta " + pasta_copias + " para a cópia "},
          Caso{"error=EIO:when=60", "não foi guardada: erro ao copiar a tabela "}}) {
        SCOPED_TRACE(caso.injeccao);
        const Resultado r = copia_com(caso.injeccao);
        EXPECT_EQ(r.saida, 1) << r.out << r.err;
        EXPECT_NE(r.out.find(caso.erro), std::string::npos) << r.out;
        EXPECT_EQ(linhas_de_erro(r.out), 1) << r.out;
        EXPECT_EQ(r.out.find("pezolva-tmp"), std::string::npos)
            << "messages name the copy, not its temporary file";
        EXPECT_EQ(r.out.find("concluido"), std::string::npos);
        EXPECT_EQ(conteudo(), antes)
            << "nothing named, nothing left behind, the good copies untouched";
    }
}

// The snapshot of the live database is copied by the kernel where it can:
// where it cannot, the bytes are read through SQLite instead and the copy
// is the same; a full disk under the kernel's copy stops the copy as one
// under a write does.
TEST_F(LauncherFaultsTest, TheKernelsCopyOfTheSnapshotFallsBackOrFailsAsAWriteWould) {
    const auto com = [&](const std::string& injeccao) {
        return corre({"backup", "--project", "obras", "brasol.mdb"}, "kqa730418", "", false,
                     sob_strace("copy_file_range", q("copy_file_range:" + injeccao)));
    };
    Resultado r = com("error=ENOSPC");
    EXPECT_EQ(r.saida, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("Não há espaço suficiente no disco da pasta " + pasta() +
                         "/copiaseg para a cópia "),
              std::string::npos)
        << r.out;
    EXPECT_EQ(conteudo(), antes);

    r = com("error=EXDEV");
    EXPECT_EQ(r.saida, 0) << r.out << r.err;
    EXPECT_EQ(linhas_de_erro(r.out), 0) << r.out;
    int copias = 0;
    for (const auto& [f, bytes] : conteudo()) {
        EXPECT_EQ(f.find("pezolva-tmp"), std::string::npos) << "left behind: " << f;
        if (f.size() < 4 || f.compare(f.size() - 4, 4, ".mdb") != 0) continue;
        ++copias;
        EXPECT_EQ(bytes.compare(0, 16, std::string("SQLite format 3\0", 16)), 0) << f;
    }
    EXPECT_GT(copias, 0);
}

TEST_F(LauncherFaultsTest, ACopyTheDiskCannotKeepIsNotNamed) {
    // Every file the backup makes durable fails to sync: the first is the
    // copy of the structure, and strace counts each thread's calls apart,
    // so the copy's own sync on its thread fails too.
    const Resultado r = corre({"backup", "--project", "obras", "brasol.mdb"}, "kqa730418", "",
                              false, sob_strace("fsync", "fsync:error=EIO:when=1"));
    EXPECT_EQ(r.saida, 1) << r.out << r.err;
    EXPECT_EQ(linhas_de_erro(r.out), 1) << r.out;
    EXPECT_NE(r.out.find("erro de entrada/saída no disco"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("concluido"), std::string::npos);
    EXPECT_EQ(conteudo(), antes);
}

TEST_F(LauncherFaultsTest, ASignalEndsTheRunCleanlyWithItsExitStatus) {
    for (const auto& [sinal, saida] :
         {std::pair{"SIGTERM", 143}, std::pair{"SIGINT", 130}, std::pair{"SIGHUP", 129}}) {
        SCOPED_TRACE(sinal);
        const Resultado r = copia_com(std::string("signal=") + sinal + ":when=60");
        EXPECT_EQ(r.saida, saida) << r.out << r.err;
        EXPECT_NE(r.err.find(std::string("interrompida pelo sinal ") + sinal), std::string::npos)
            << r.err;
        EXPECT_EQ(conteudo(), antes);
    }
}

TEST_F(LauncherFaultsTest, WhatAKilledRunLeftIsReclaimedByTheNext) {
    copia_com("signal=SIGKILL:when=100");
    std::size_t sobras = 0;
    for (const auto& [f, bytes] : conteudo()) sobras += f.find("pezolva-tmp") != std::string::npos;
    ASSERT_GT(sobras, 0u) << "a kill leaves the temporary copy (the next run's to clean)";

    const Resultado r = corre({"backup", "--project", "obras", "brasol.mdb"}, "kqa730418");
    EXPECT_EQ(r.saida, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Foram apagados " + std::to_string(sobras) + " ficheiros temporários ("),
              std::string::npos)
        << r.out;
    for (const auto& [f, bytes] : conteudo())
        EXPECT_EQ(f.find("pezolva-tmp"), std::string::npos) << f;
}

}  // namespace
}  // namespace pezolva
