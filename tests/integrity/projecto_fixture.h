#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/database.h"
#include "engine/quoting.h"
#include "project/projecto.h"
#include "register/bups.h"
#include "support/fixtures.h"
#include "testproject/projecto_teste.h"

namespace pezolva::testing {

// A test project (main, photos and log with their structures, no rows) and
// its register, with the verbs a verification scenario needs.
class ProjectoFixture : public ::testing::Test {
  protected:
    explicit ProjectoFixture(const std::string& nome_pasta = "proj") {
        testproject::Opcoes opcoes;
        opcoes.linhas = 0;
        p = testproject::cria_projecto(t.dir.file(nome_pasta), opcoes);
        projecto.caminho = p.pasta;
        projecto.nome_bd = testproject::kPrincipal;
        projecto.passwd = testproject::kPassePrincipal;
        engine::Database db = principal();
        EXPECT_TRUE(cria_bups(db, projecto, t.dialogs));
    }
    engine::Database principal() {
        return engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
    }
    // Sets columns of a register row ("BUP_X=valor, ...", SQL values).
    void regista(const std::string& nome_bd, const std::string& atribuicoes) {
        principal().Execute("update BUPS set " + atribuicoes +
                            " where BUP_NOME_BD=" + engine::quote_literal(nome_bd));
    }
    std::string caminho(const std::string& nome) { return p.pasta + "/" + nome; }

    TestServices t;
    testproject::Projecto p;
    ProjectoActual projecto;
};

}  // namespace pezolva::testing
