#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "restore/reposicao.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace pezolva::restore {

constexpr const char* kPasse = "kqa730418";

// A project folder with a live database and, in another folder, a copy of
// it; both with the same password and a row saying which one it is.
class ReposicaoTest : public ::testing::Test {
  protected:
    ReposicaoTest() {
        std::filesystem::create_directories(dir.file("proj"));
        std::filesystem::create_directories(dir.file("copias"));
        cria(bd(), "viva");
        cria(copia(), "da cópia");
    }
    std::string bd() { return dir.file("proj/brasol.mdb"); }
    std::string copia() { return dir.file("copias/brasol200505191407.mdb"); }
    // A database with the password and one row saying what it is.
    void cria(const std::string& caminho, const std::string& quem) {
        engine::Database db = engine::CreateDatabase(caminho, kPasse);
        db.Execute("CREATE TABLE t (quem TEXT)");
        db.Execute("INSERT INTO t VALUES ('" + quem + "')");
    }
    std::string quem(const std::string& caminho) {
        engine::Database db =
            engine::OpenDatabase(caminho, false, true, std::string(";pwd=") + kPasse);
        return db.OpenRecordset("SELECT quem FROM t").Fields(std::size_t{0}).to_text();
    }
    std::optional<std::string> repoe(const std::string& nome = "brasol", bool principal = false,
                                     bool* registo_recriado = nullptr) {
        return repoe_copia(
            files, {copia(), dir.file("proj"), nome, std::string(";pwd=") + kPasse, 42, principal},
            registo_recriado);
    }
    // The register's rows, in order, one text each; empty when there is none.
    std::vector<std::string> registo(const std::string& caminho) {
        engine::Database db =
            engine::OpenDatabase(caminho, false, true, std::string(";pwd=") + kPasse);
        std::vector<std::string> linhas;
        for (auto r = db.OpenRecordset(
                 "select BUP_NOME_BD, BUP_PASSWD, BUP_N_COPIAS_A_MANTER from bups order by 1");
             !r.IsEOF(); r.MoveNext()) {
            linhas.push_back(r.Fields(std::size_t{0}).to_text() + "|" +
                             r.Fields(std::size_t{1}).to_text() + "|" +
                             r.Fields(std::size_t{2}).to_text());
        }
        return linhas;
    }
    std::vector<std::string> ficheiros() {
        auto nomes = LocalFileSystem().list_files(dir.file("proj"));
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }

    testing::TempDir dir;
    testing::FaultyFileSystem files;
};

}  // namespace pezolva::restore
