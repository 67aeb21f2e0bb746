// The same driver against an "sftp:" repository, through an sshd this test
// starts on the loopback address with host and client keys of its own.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "offsite/restic.h"
#include "restic_falso.h"
#include "support/temp_dir.h"

namespace pezolva::offsite {
namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";

int porta_livre() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(s);
    return ntohs(a.sin_port);
}

bool aceita_ligacoes(int porta) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(porta));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

class ResticSftpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(kSshd, X_OK) != 0) GTEST_SKIP() << "sem sshd (pacote openssh-server)";
        if (::geteuid() != 0) GTEST_SKIP() << "o sshd de teste precisa de correr como root";
        ::mkdir("/run/sshd", 0755);  // its privilege separation folder
        ASSERT_EQ(std::system(("ssh-keygen -q -t ed25519 -N '' -f " + dir.file("anfitriao") +
                               " && ssh-keygen -q -t ed25519 -N '' -f " + dir.file("cliente") +
                               " && cp " + dir.file("cliente.pub") + " " + dir.file("autorizadas"))
                                  .c_str()),
                  0);
        porta = porta_livre();
        testing::write_file(dir.file("sshd_config"),
                            "Port " + std::to_string(porta) +
                                "\nListenAddress 127.0.0.1\nHostKey " + dir.file("anfitriao") +
                                "\nAuthorizedKeysFile " + dir.file("autorizadas") +
                                "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                                "KbdInteractiveAuthentication no\nPidFile none\n"
                                "Subsystem sftp internal-sftp\nLogLevel QUIET\n");
        sshd = ::fork();
        if (sshd == 0) {
            ::execl(kSshd, kSshd, "-D", "-e", "-f", dir.file("sshd_config").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 100 && !aceita_ligacoes(porta); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(aceita_ligacoes(porta)) << "o sshd de teste não arrancou";
        testing::write_file(dir.file("repo.pw"), "segredo-sftp\n");
        utilizador = ::getpwuid(::geteuid())->pw_name;
    }
    void TearDown() override { para_sshd(); }
    void para_sshd() {
        if (sshd <= 0) return;
        ::kill(sshd, SIGTERM);
        ::waitpid(sshd, nullptr, 0);
        sshd = 0;
    }
    Restic restic() {
        return Restic(processos, "sftp:" + utilizador + "@127.0.0.1:" + dir.file("repo"),
                      dir.file("repo.pw"),
                      "ssh -i " + dir.file("cliente") + " -p " + std::to_string(porta) +
                          " -o BatchMode=yes -o StrictHostKeyChecking=no"
                          " -o UserKnownHostsFile=/dev/null " +
                          utilizador + "@127.0.0.1 -s sftp");
    }

    testing::TempDir dir;
    testing::ResticFalso processos;
    pid_t sshd = 0;
    int porta = 0;
    std::string utilizador;
};

TEST_F(ResticSftpTest, ACopyGoesToAnSftpRepositoryAndComesBack) {
    Restic r = restic();
    r.init();
    testing::write_file(dir.file("brasol200505191407.mdb"), std::string(50000, 'b'));
    const Envio e = r.envia(dir.file("brasol200505191407.mdb"), {"pezolva", "bd=brasol"},
                            "2005-05-19 14:07:00");
    EXPECT_GT(e.bytes_novos, 0u);
    const auto lista = r.lista({"pezolva"});
    ASSERT_EQ(lista.size(), 1u);
    testing::write_file(dir.file("trazida"), "");
    const int fd = ::open(dir.file("trazida").c_str(), O_WRONLY | O_TRUNC);
    r.extrai(lista[0].id, lista[0].caminhos[0], fd);
    ::close(fd);
    EXPECT_EQ(testing::read_file(dir.file("trazida")), std::string(50000, 'b'));
    // The server gone: unreachable, said so.
    para_sshd();
    try {
        r.abre();
        FAIL();
    } catch (const ErroRestic& erro) {
        EXPECT_EQ(erro.falha(), Falha::Inacessivel) << erro.detalhe();
    }
}

}  // namespace
}  // namespace pezolva::offsite
