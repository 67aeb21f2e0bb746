#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "engine/database.h"
#include "support/temp_dir.h"
#include "testproject/esquema.h"
#include "testproject/projecto_teste.h"

namespace pezolva::testproject {

// A temporary folder with verbs to build a project in it and look into it.
class ProjectoTeste : public ::testing::Test {
  protected:
    // The project folder.
    std::string pasta() const { return dir_.file("projecto"); }
    std::string ficheiro(const std::string& nome) const { return dir_.file("projecto/" + nome); }

    // A new project in pasta() (or in `outra`) with `linhas` rows in its largest tables.
    Projecto cria(std::int64_t linhas = 20, Opcoes opcoes = {}, const std::string& outra = "");

    // A project of 300 rows built once for the whole run: tests that only
    // read use it as it is, the others take a copy.
    static const Projecto& modelo();
    // A copy of modelo() in pasta(): a fresh project, at the cost of a
    // file copy.
    Projecto copia_do_modelo();

    // A fingerprint of every row of every table, in key order, per table:
    // equal fingerprints, equal data (and a short message when not).
    using Conteudo = std::map<std::string, std::string>;
    static Conteudo conteudo(engine::Database& db);
    static Conteudo conteudo(const std::string& caminho, const std::string& palavra_passe);

    // What a backup does: each table of `bd` copied, by the engine's
    // external insert, into a copy of its structure, in the structure's
    // table order (parents first).  The rows the copy kept, per table.
    std::map<std::string, std::int64_t> copia_para_estrutura(const BaseDados& bd);

    // The lines of `a` that `b` lacks.
    static std::set<std::string> so_em(const std::set<std::string>& a,
                                       const std::set<std::string>& b);

    // The number of rows that break a relation.
    static std::int64_t violacoes(engine::Database& db);

    testing::TempDir dir_;
};

}  // namespace pezolva::testproject
