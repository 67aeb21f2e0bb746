#include "compaction/compacta_bd.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>

#include "compactacao_fixture.h"
#include "support/sem_privilegios.h"

namespace pezolva::testing {
namespace {

using Nomes = std::vector<std::string>;

mode_t modo(const std::string& caminho) {
    struct stat st {};
    ::stat(caminho.c_str(), &st);
    return st.st_mode & 0777;
}

TEST_F(CompactacaoTest, ASuccessKeepsTheOldFileUnderItsDatedNameAndLeavesNothingElse) {
    cria_base();
    instala_jetcomp();
    ::chmod(em("brasol.mdb").c_str(), 0640);
    const auto antes = std::filesystem::file_size(em("brasol.mdb"));

    ASSERT_TRUE(compacta()) << detalhe.causa;

    EXPECT_EQ(detalhe.antiga, "brasol200505191407.mdb");
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191407.mdb", "jetcomp"}));
    EXPECT_LT(std::filesystem::file_size(em("brasol.mdb")), antes);
    EXPECT_EQ(std::filesystem::file_size(em("brasol200505191407.mdb")), antes);
    EXPECT_EQ(obras(em("brasol.mdb")), 300);
    EXPECT_EQ(modo(em("brasol.mdb")), 0640u);
    EXPECT_TRUE(t.dialogs.shown().empty());
}

TEST_F(CompactacaoTest, NamesThatCutFourCharactersAndAnEmptyPassword) {
    cria_base("dados.accdb", "");
    instala_jetcomp();
    ASSERT_TRUE(compacta("dados.accdb", "")) << detalhe.causa;
    // Exactly four characters go, whatever the extension's length.
    EXPECT_EQ(detalhe.antiga, "dados.a200505191407.mdb");
    EXPECT_EQ(obras(em("dados.accdb"), ""), 300);
}

TEST_F(CompactacaoTest, TheToolInTheSubfolderWinsAndNoneFoundGivesBothMessagesInOrder) {
    cria_base();
    instala_falso("exit 1");
    EXPECT_FALSE(compacta());
    EXPECT_EQ(textos(), (Nomes{falha_reparar()}));

    t.dialogs.clear();
    instala_jetcomp("jetcomp4/jetcomp");
    EXPECT_TRUE(compacta()) << detalhe.causa;

    TestServices outro;
    ambiente.pastas_programa.clear();
    EXPECT_FALSE(compacta_bd(outro.services, ambiente, outro.dir.str(), "brasol.mdb", "", false));
    EXPECT_EQ(outro.dialogs.shown().size(), 2u);
    EXPECT_EQ(outro.dialogs.shown().at(0).text,
              "Não foi encontrado o ficheiro jetcomp.exe, que é necessário para compactar a base "
              "de dados.");
    EXPECT_EQ(outro.dialogs.shown().at(0).icon, Icon::Information);
    EXPECT_EQ(outro.dialogs.shown().at(1).text, falha_compactar());
    EXPECT_EQ(outro.dialogs.shown().at(1).icon, Icon::Critical);
}

TEST_F(CompactacaoTest, ALockedDatabaseIsCompactedOnlyWhenTheUserSaysYes) {
    cria_base();
    instala_jetcomp();
    t.dialogs.queue_answer(Answer::No);
    EXPECT_FALSE(compacta("brasol.mdb", kPasse, true));
    ASSERT_EQ(t.dialogs.shown().size(), 1u);
    const Message& pergunta = t.dialogs.shown()[0];
    EXPECT_EQ(pergunta.text,
              "A base de dados brasol.mdb está bloqueada. Por favor, saia do Brasol em todos os "
              "postos de "
              "trabalho.\r\nContinuar ?");
    EXPECT_EQ(pergunta.title, "zolva");
    EXPECT_EQ(pergunta.buttons, Buttons::YesNo);
    EXPECT_EQ(pergunta.default_answer, Answer::Yes);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));

    t.dialogs.queue_answer(Answer::Yes);
    EXPECT_TRUE(compacta("brasol.mdb", kPasse, true)) << detalhe.causa;
}

// A tool that ends without a complete, sound copy never puts anything in
// the database's place, whatever it left at the destination.
TEST_F(CompactacaoTest, ACopyIsAcceptedOnlyFromAToolThatEndedWellAndOnlyWhenItOpensSound) {
    cria_base();
    const std::string original = read_file(em("brasol.mdb"));
    const struct {
        const char* caso;
        const char* corpo;
    } casos[] = {
        {"exit 0, nothing written", "exit 0"},
        {"half written, exit 1", "head -c 20000 \"${1#-src:}\" > \"$DEST\"; exit 1"},
        {"exit 0, half written", "head -c 20000 \"${1#-src:}\" > \"$DEST\"; exit 0"},
        {"exit 0, not a database", "echo lixo > \"$DEST\"; exit 0"},
        {"killed by a signal", "cp \"${1#-src:}\" \"$DEST\"; kill -9 $$"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        std::filesystem::remove(em("jetcomp"));
        instala_falso(c.corpo);
        t.dialogs.clear();
        EXPECT_FALSE(compacta());
        EXPECT_EQ(textos(), (Nomes{falha_reparar()}));
        EXPECT_EQ(read_file(em("brasol.mdb")), original);
        EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
    }
}

TEST_F(CompactacaoTest, AtTheTimeOutTheToolIsKilledAndWhatItWroteRemoved) {
    cria_base();
    const std::string original = read_file(em("brasol.mdb"));
    instala_falso(
        "head -c 20000 \"${1#-src:}\" > \"$(dirname \"$DEST\")/.$(basename \"$DEST\").parcial\"\n"
        "cp \"${1#-src:}\" \"$DEST\"\nexec sleep 60");
    ambiente.tempo_limite_ms = 1000;
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_FALSE(compacta());
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(30));
    EXPECT_EQ(detalhe.causa, "a ferramenta não terminou dentro do tempo limite");
    EXPECT_EQ(textos(), (Nomes{falha_reparar()}));
    EXPECT_EQ(read_file(em("brasol.mdb")), original);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
}

TEST_F(CompactacaoTest, ASecondCompactionInTheSameMinuteFailsAndKeepsBothFiles) {
    cria_base();
    instala_jetcomp();
    ASSERT_TRUE(compacta());
    const std::string antiga = read_file(em("brasol200505191407.mdb"));
    const std::string actual = read_file(em("brasol.mdb"));
    t.clock.advance_seconds(20);

    EXPECT_FALSE(compacta());
    EXPECT_EQ(textos(), (Nomes{falha_compactar()}));
    EXPECT_EQ(read_file(em("brasol200505191407.mdb")), antiga);
    EXPECT_EQ(read_file(em("brasol.mdb")), actual);
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191407.mdb", "jetcomp"}));

    t.clock.advance_seconds(60);
    EXPECT_TRUE(compacta());
}

TEST_F(CompactacaoTest, AFailedLinkOrSwapPutsEverythingBack) {
    cria_base();
    instala_jetcomp();
    const std::string original = read_file(em("brasol.mdb"));
    for (const char* operacao : {"link_no_replace", "exchange"}) {
        SCOPED_TRACE(operacao);
        t.files.fail(operacao, 0, EIO);
        t.dialogs.clear();
        EXPECT_FALSE(compacta());
        EXPECT_EQ(textos(), (Nomes{falha_compactar()}));
        EXPECT_EQ(read_file(em("brasol.mdb")), original);
        EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
        t.files.fail(operacao, -1);
    }
}

// A file system whose process dies at the swap, as a kill would end it.
class MorreNaTroca : public FaultyFileSystem {
  public:
    void exchange(const std::string&, const std::string&) override { ::_exit(9); }
};

TEST_F(CompactacaoTest,
       AProcessKilledBetweenTheLinkAndTheSwapLeavesTheDatabaseAndTheNextRunReclaims) {
    cria_base();
    instala_jetcomp();
    const std::string original = read_file(em("brasol.mdb"));
    const pid_t filho = ::fork();
    if (filho == 0) {
        MorreNaTroca files;
        Services s{t.dialogs, t.clock, t.random, t.settings, files};
        compacta_bd(s, ambiente, pasta, "brasol.mdb", kPasse, false);
        ::_exit(0);
    }
    int estado = 0;
    ::waitpid(filho, &estado, 0);
    ASSERT_EQ(WEXITSTATUS(estado), 9);
    EXPECT_EQ(read_file(em("brasol.mdb")), original);
    EXPECT_EQ(obras(em("brasol.mdb")), 300);

    t.clock.advance_seconds(60);
    ASSERT_TRUE(compacta()) << detalhe.causa;
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191408.mdb", "jetcomp"}));
    EXPECT_EQ(read_file(em("brasol200505191408.mdb")), original);
}

TEST_F(CompactacaoTest, ADatabaseOpenElsewhereIsRefusedAsBloqueadaWithTheCause) {
    cria_base();
    instala_jetcomp();
    engine::Database aberta =
        engine::OpenDatabase(em("brasol.mdb"), false, true, std::string(";pwd=") + kPasse);
    EXPECT_FALSE(compacta());
    EXPECT_EQ(textos(), (Nomes{bloqueada("O ficheiro '" + em("brasol.mdb") +
                                         "' está em uso por outro utilizador.")}));
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown()[0].title, "Atenção");
    EXPECT_EQ(detalhe.causa, "está bloqueada");
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
}

// A companion another user made private (an older version's, or one made
// under a umask 077) cannot tell whether its owner has the database open:
// the database is held, as far as anyone can know.
TEST_F(CompactacaoTest, ACompanionThatCannotBeOpenedForWritingIsRefusedAsBloqueada) {
    if (::geteuid() != 0)
        GTEST_SKIP()
            << "a second user needs root to become it: the owner of a private companion can "
               "always open it";
    cria_base();
    instala_jetcomp();
    ::chmod(t.dir.str().c_str(), 0755);
    entrega_ao_utilizador_comum(pasta);
    // The companion is the other user's (root's here), 0600.
    ::chown(em(".brasol.mdb.lock").c_str(), 0, 0);
    ::chmod(em(".brasol.mdb.lock").c_str(), 0600);
    const std::string original = read_file(em("brasol.mdb"));
    const Nomes antes = ficheiros();
    // 0: refused as "bloqueada", the cause on its own line.
    const int resultado = como_utilizador_comum([&] {
        if (compacta()) return 1;
        const std::vector<std::string> vistos = textos();
        if (vistos.empty()) return 2;
        const std::string esperado =
            bloqueada("Não é possível saber se a base de dados '" + em("brasol.mdb") +
                      "' está em uso: o ficheiro de bloqueio '" + em(".brasol.mdb.lock") +
                      "' não pode ser bloqueado (");
        if (vistos.back().rfind(esperado, 0) != 0) {
            std::fprintf(stderr, "%s\n", vistos.back().c_str());
            return 3;
        }
        return detalhe.causa == "está bloqueada" ? 0 : 4;
    });
    EXPECT_EQ(resultado, 0);
    EXPECT_TRUE(read_file(em("brasol.mdb")) == original) << "the database changed";
    EXPECT_EQ(ficheiros(), antes) << "nothing another user may hold is deleted";
}

// Where the folder's file system may keep locks to this machine, nobody
// can tell whether another workstation has the database open.
TEST_F(CompactacaoTest, AFolderWhoseFileSystemKeepsLocksToItselfIsRefusedAsBloqueada) {
    cria_base();
    instala_jetcomp();
    struct stat st {};
    ASSERT_EQ(::stat(pasta.c_str(), &st), 0);
    t.files.substitute("/proc/self/mountinfo",
                       "40 25 " + std::to_string(major(st.st_dev)) + ":" +
                           std::to_string(minor(st.st_dev)) +
                           " / /mnt/obras rw,nosuid - fuse.sshfs servidor:/obras rw\n");
    const std::string original = read_file(em("brasol.mdb"));
    EXPECT_FALSE(compacta());
    ASSERT_EQ(textos().size(), 1u);
    EXPECT_EQ(
        textos()[0].rfind(bloqueada("A pasta está num sistema de ficheiros fuse.sshfs em que "), 0),
        0u)
        << textos()[0];
    EXPECT_EQ(detalhe.causa, "está bloqueada");
    EXPECT_TRUE(read_file(em("brasol.mdb")) == original) << "the database changed";
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
}

// A program that reaches the database through SQLite alone and is writing
// when the copy is to be swapped in: SQLite's own lock is kept past the
// wait, and the compaction is refused as for a held companion.
TEST_F(CompactacaoTest, AProgramKeepingSQLitesLockAtTheSwapIsRefusedAsBloqueada) {
    cria_base();
    instala_jetcomp();
    const std::string original = read_file(em("brasol.mdb"));
    sqlite3* outro = nullptr;
    ASSERT_EQ(sqlite3_open(em("brasol.mdb").c_str(), &outro), SQLITE_OK);
    // A write under way: the file's reserved lock (readers, the tool among
    // them, go on reading).
    ASSERT_EQ(
        sqlite3_exec(outro, "BEGIN IMMEDIATE; UPDATE obras SET nome = nome || '!' WHERE id = 1",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_FALSE(compacta());
    ASSERT_FALSE(textos().empty());
    EXPECT_EQ(textos().back(), bloqueada("A base de dados '" + em("brasol.mdb") +
                                         "' está em uso por outro programa."));
    EXPECT_EQ(detalhe.causa, "está bloqueada");
    sqlite3_exec(outro, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(outro);
    EXPECT_TRUE(read_file(em("brasol.mdb")) == original) << "the database changed";
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
}

// The folder's sync after the swap fails: the compacted file is complete
// and stays under the database's name (the old one under its dated name),
// but the compaction is not reported done.
TEST_F(CompactacaoTest, ANewNameTheDiskDidNotConfirmIsAFailureThoughTheCompactedFileStaysInPlace) {
    cria_base();
    instala_jetcomp();
    const std::string original = read_file(em("brasol.mdb"));
    // The dated name's sync goes well; the swap's does not.
    t.files.fail("sync_folder", 2, EIO);
    EXPECT_FALSE(compacta());
    EXPECT_EQ(t.files.calls("sync_folder"), 2);
    const std::string linha = "O disco não confirmou o novo nome " + em("brasol.mdb") + ": ";
    ASSERT_EQ(textos().size(), 1u);
    EXPECT_EQ(textos()[0].rfind(linha, 0), 0u) << textos()[0];
    EXPECT_EQ(t.dialogs.shown()[0].icon, Icon::Critical);
    EXPECT_EQ(detalhe.causa, textos()[0]);
    // In place, compacted, whole.
    EXPECT_EQ(obras(em("brasol.mdb")), 300);
    EXPECT_LT(std::filesystem::file_size(em("brasol.mdb")), original.size());
    EXPECT_TRUE(read_file(em("brasol200505191407.mdb")) == original) << "the old database changed";
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191407.mdb", "jetcomp"}));

    // Every sync failing: the first name the disk did not confirm is said.
    t.files.fail("sync_folder", 0, EIO);
    t.dialogs.clear();
    t.clock.advance_seconds(60);
    EXPECT_FALSE(compacta());
    ASSERT_EQ(textos().size(), 1u);
    EXPECT_EQ(textos()[0].rfind(
                  "O disco não confirmou o novo nome " + em("brasol200505191408.mdb") + ": ", 0),
              0u)
        << textos()[0];
    EXPECT_EQ(obras(em("brasol.mdb")), 300);
}

TEST_F(CompactacaoTest, ThePasswordNeverReachesTheToolsCommandLineAndOddFoldersAreJustArguments) {
    pasta = t.dir.file("p q/o'n\"x\"$(id)");
    std::filesystem::create_directories(pasta);
    cria_base();
    // The real tool behind a wrapper that records the command line the
    // system shows every local user.
    instala_falso("tr '\\0' ' ' < /proc/$$/cmdline > \"$(dirname \"$0\")/linha\"\nexec '" JETCOMP
                  "' \"$@\"");
    ASSERT_TRUE(compacta()) << detalhe.causa;
    const std::string linha = read_file(em("linha"));
    EXPECT_EQ(linha.find(kPasse), std::string::npos) << linha;
    EXPECT_NE(linha.find("-src:" + em("brasol.mdb")), std::string::npos) << linha;
    EXPECT_EQ(obras(em("brasol.mdb")), 300);
}

// A writer killed in WAL mode leaves committed rows in the WAL only.
void deixa_linhas_no_wal(const std::string& caminho) {
    if (::fork() == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(caminho.c_str(), &db);
        sqlite3_exec(db,
                     "pragma journal_mode=wal; pragma wal_autocheckpoint=0;"
                     "insert into obras (nome) values ('no wal 1'), ('no wal 2');",
                     nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    ::wait(nullptr);
}

TEST_F(CompactacaoTest, RowsStillInTheWalAreKeptAndNoJournalOfTheOldFileStays) {
    cria_base();
    instala_jetcomp();
    deixa_linhas_no_wal(em("brasol.mdb"));
    ASSERT_TRUE(std::filesystem::exists(em("brasol.mdb-wal")));
    ASSERT_TRUE(compacta()) << detalhe.causa;
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol200505191407.mdb", "jetcomp"}));
    EXPECT_EQ(obras(em("brasol.mdb")), 302);
    // Its users keep it in WAL mode: so does the compacted file.
    sqlite3* db = nullptr;
    sqlite3_open(em("brasol.mdb").c_str(), &db);
    sqlite3_stmt* modo = nullptr;
    sqlite3_prepare_v2(db, "pragma journal_mode", -1, &modo, nullptr);
    ASSERT_EQ(sqlite3_step(modo), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(modo, 0)), "wal");
    sqlite3_finalize(modo);
    sqlite3_close(db);
}

// A writer killed mid-transaction, with pages already in the file.
void deixa_diario_quente(const std::string& caminho) {
    if (::fork() == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(caminho.c_str(), &db);
        sqlite3_exec(
            db, "pragma cache_size=1; begin; update obras set nome = nome || hex(randomblob(300));",
            nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    ::wait(nullptr);
}

TEST_F(CompactacaoTest, AReadOnlySourceWithAHotJournalIsLeftAsItWas) {
    cria_base();
    instala_jetcomp();
    deixa_diario_quente(em("brasol.mdb"));
    ASSERT_GT(std::filesystem::file_size(em("brasol.mdb-journal")), 0u);
    ::chmod(em("brasol.mdb").c_str(), 0444);
    const std::string original = read_file(em("brasol.mdb"));
    const std::string diario = read_file(em("brasol.mdb-journal"));
    ::chmod(t.dir.str().c_str(), 0755);
    entrega_ao_utilizador_comum(pasta);
    ::chmod(em("brasol.mdb").c_str(), 0444);
    // 0: refused, by the tool itself (its own message is the cause).
    const int resultado = como_utilizador_comum([&] {
        if (compacta()) return 1;
        return detalhe.causa.rfind("jetcomp: ", 0) == 0 ? 0 : 2;
    });
    EXPECT_EQ(resultado, 0);
    EXPECT_EQ(read_file(em("brasol.mdb")), original);
    EXPECT_EQ(read_file(em("brasol.mdb-journal")), diario);
    EXPECT_EQ(ficheiros(),
              (Nomes{".brasol.mdb.lock", "brasol.mdb", "brasol.mdb-journal", "jetcomp"}));
}

TEST_F(CompactacaoTest, ADiskThatFillsUpUnderTheToolLeavesNothing) {
    cria_base();
    const std::string original = read_file(em("brasol.mdb"));
    instala_falso(
        "exec strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:error=ENOSPC:when=3 "
        "'" JETCOMP "' \"$@\"");
    EXPECT_FALSE(compacta());
    EXPECT_NE(detalhe.causa.find("espaço"), std::string::npos) << detalhe.causa;
    EXPECT_EQ(read_file(em("brasol.mdb")), original);
    EXPECT_EQ(ficheiros(), (Nomes{".brasol.mdb.lock", "brasol.mdb", "jetcomp"}));
}

}  // namespace
}  // namespace pezolva::testing
