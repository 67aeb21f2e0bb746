#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "compaction/compacta_bd.h"
#include "support/databases.h"
#include "support/fixtures.h"

namespace pezolva::testing {

// A project folder with a database of a few hundred rows, the real
// compaction tool (JETCOMP, built beside the launcher) or a fake one, and
// the verbs the compaction's tests share.
class CompactacaoTest : public ::testing::Test {
  protected:
    static constexpr const char* kPasse = "kqa730418";

    void SetUp() override {
        pasta = t.dir.file("obras");
        std::filesystem::create_directories(pasta);
        ambiente.projecto = "Brasol";
        ambiente.tempo_limite_ms = 60000;
    }

    std::string em(const std::string& nome) const { return pasta + "/" + nome; }

    // A database with rows to keep, and free pages for the compaction to drop.
    void cria_base(const std::string& nome = "brasol.mdb", const std::string& passe = kPasse) {
        engine::Database db =
            make_database(em(nome),
                          "create table obras (id integer primary key, nome text);"
                          "create table lixo (x text);",
                          passe);
        db.Execute(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
            "insert into obras (nome) select 'obra ' || i from n");
        db.Execute(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
            "insert into lixo select hex(randomblob(500)) from n");
        db.Execute("delete from lixo");
        db.Close();
    }

    // The real tool at `relativo` inside the project folder.
    void instala_jetcomp(const std::string& relativo = "jetcomp") {
        std::filesystem::create_directories(std::filesystem::path(em(relativo)).parent_path());
        std::filesystem::create_symlink(JETCOMP, em(relativo));
    }

    // A fake tool: a shell script with `corpo` ($1..$4 are the tool's
    // arguments; $DEST the destination without "-dest:").
    void instala_falso(const std::string& corpo, const std::string& relativo = "jetcomp") {
        std::filesystem::create_directories(std::filesystem::path(em(relativo)).parent_path());
        write_file(em(relativo), "#!/bin/sh\nDEST=\"${2#-dest:}\"\n" + corpo + "\n");
        ::chmod(em(relativo).c_str(), 0755);
    }

    bool compacta(const std::string& nome = "brasol.mdb", const std::string& passe = kPasse,
                  bool bloqueado = false) {
        return compacta_bd(t.services, ambiente, pasta, nome, passe, bloqueado, &detalhe);
    }

    // The names in the project folder, hidden ones included, sorted.
    std::vector<std::string> ficheiros() const {
        std::vector<std::string> nomes;
        for (const auto& e : std::filesystem::directory_iterator(pasta)) {
            if (e.is_regular_file()) nomes.push_back(e.path().filename().string());
        }
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }

    std::int64_t obras(const std::string& caminho, const std::string& passe = kPasse) {
        engine::Database db = engine::OpenDatabase(caminho, false, true, ";pwd=" + passe);
        return db.OpenRecordset("select count(*) from obras")
            .Fields(std::size_t{0})
            .to_integer()
            .value_or(-1);
    }

    std::vector<std::string> textos() const {
        std::vector<std::string> r;
        for (const Message& m : t.dialogs.shown()) r.push_back(m.text);
        return r;
    }

    static std::string falha_reparar(const std::string& nome = "brasol.mdb") {
        return "Não foi possível executar a reparação da base de dados " + nome +
               ". Verifique que não está nenhum utilizador ligado, reinicie o computador, e tente "
               "de novo.";
    }
    static std::string falha_compactar(const std::string& nome = "brasol.mdb") {
        return "Não foi possível compactar a base de dados " + nome +
               ". Por favor contacte a assistência técnica.";
    }
    // The refusal of a database somebody else holds, or whose holders
    // cannot be asked: the "bloqueada" text, then the cause.
    static std::string bloqueada(const std::string& causa, const std::string& nome = "brasol.mdb") {
        return "A base de dados " + nome +
               " está bloqueada. Por favor, saia do Brasol em todos os postos de "
               "trabalho.\n\n" +
               causa;
    }

    TestServices t;
    std::string pasta;
    AmbienteCompactacao ambiente;
    DetalheCompactacao detalhe;
};

}  // namespace pezolva::testing
