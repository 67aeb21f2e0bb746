#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "engine/database.h"
#include "support/sem_privilegios.h"
#include "support/temp_dir.h"
#include "testproject/projecto_teste.h"

namespace pezolva {

struct Resultado {
    int saida;
    std::string out;
    std::string err;
};

// Runs the launcher with its settings and data in a folder of the test's own.
class LauncherTest : public ::testing::Test {
  protected:
    // The launcher under strace, with `injeccao` ("CALL:error=...",
    // "CALL:signal=...") applied to the system calls `chamadas`.
    static QStringList sob_strace(const QString& chamadas, const QString& injeccao) {
        return {"strace",
                "-f",
                "-qq",
                "-o",
                "/dev/null",
                "-e",
                "trace=" + chamadas,
                "-e",
                "inject=" + injeccao};
    }
    // `comum`: as an unprivileged user when the tests run as root.
    // `antes` goes before the launcher on the command line: a program that
    // runs it (strace, to inject faults).
    Resultado corre(const QStringList& args, const char* password = nullptr,
                    const std::string& input = "", bool comum = false,
                    const QStringList& antes = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
        env.insert("XDG_DATA_HOME", QString::fromStdString(dir.file("data")));
        env.remove("PEZOLVA_PASSWORD");
        if (password != nullptr) env.insert("PEZOLVA_PASSWORD", password);
        if (!antes.isEmpty()) {
            // A traced program cannot have its leaks checked: LeakSanitizer
            // needs ptrace itself and would end it with an error of its own.
            const QString asan = env.value("ASAN_OPTIONS");
            env.insert("ASAN_OPTIONS", asan + (asan.isEmpty() ? "" : ":") + "detect_leaks=0");
        }
        p.setProcessEnvironment(env);
        // A session of its own: no controlling terminal to ask a password on.
        p.setChildProcessModifier([comum] {
            ::setsid();
            if (comum && !testing::abdica_privilegios()) ::_exit(99);
        });
        if (antes.isEmpty()) {
            p.start(PEZOLVA_LAUNCHER, args);
        } else {
            p.start(antes.front(), antes.mid(1) + QStringList{PEZOLVA_LAUNCHER} + args);
        }
        p.write(input.data(), static_cast<qint64>(input.size()));
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
    std::string ini() { return testing::read_file(dir.file("config/pelvor/ZOLVA.ini")); }
    // A main database, without a password, where a start expects one.
    void base_em(const std::string& pasta, const std::string& nome) {
        std::filesystem::create_directories(pasta);
        engine::CreateDatabase(pasta + "/" + nome).Close();
    }

    testing::TempDir dir;
};

// A test project started once by the host, with a backup due.
class LauncherBackupTest : public LauncherTest {
  protected:
    void SetUp() override {
        testproject::cria_projecto(pasta());
        LocalFileSystem files;
        create_directories(files, dir.file("config/pelvor"));
        // This workstation holds the main copy: it makes the backups.
        testing::write_file(dir.file("config/pelvor/obras.ini"), "[setup]\nORIGEM=PRINCIPAL\n");
    }
    std::string pasta() { return dir.file("obras"); }
    QString q(const std::string& s) { return QString::fromStdString(s); }
    // The bytes of the settings files and of the project's databases.
    std::map<std::string, std::string> instantaneo() {
        std::map<std::string, std::string> ficheiros;
        for (const std::string& pasta_lida : {dir.file("config/pelvor"), pasta()}) {
            for (const auto& e : std::filesystem::directory_iterator(pasta_lida)) {
                const std::string nome = e.path().filename().string();
                if (e.is_regular_file() && nome.front() != '.' &&
                    nome.find(".lock") == std::string::npos) {
                    ficheiros[e.path().string()] = testing::read_file(e.path().string());
                }
            }
        }
        return ficheiros;
    }
    std::vector<std::string> copias() {
        LocalFileSystem files;
        std::vector<std::string> nomes;
        for (const auto& n : files.list_files(pasta() + "/copiaseg")) {
            if (n.size() > 4 && n.substr(n.size() - 4) == ".mdb") nomes.push_back(n);
        }
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
};

}  // namespace pezolva
