#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup/copia_base_dados.h"
#include "backup/logs_execucao.h"
#include "engine/database.h"
#include "engine/quoting.h"
#include "register/bups.h"
#include "support/fixtures.h"
#include "testproject/projecto_teste.h"

namespace pezolva::testing {

// A test project with its register, and the verbs of a backup scenario:
// change the register, run a backup, look at the copies and the logs.
class BackupFixture : public ::testing::Test {
  protected:
    BackupFixture() {
        testproject::Opcoes opcoes;
        opcoes.linhas = 20;
        projecto_teste = testproject::cria_projecto(dir.file("proj"), opcoes);
        projecto.caminho = projecto_teste.pasta;
        projecto.nome_bd = testproject::kPrincipal;
        projecto.passwd = testproject::kPassePrincipal;
        engine::Database db = principal();
        EXPECT_TRUE(cria_bups(db, projecto, dialogs));
    }

    engine::Database principal() {
        return engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
    }
    std::string pasta_copias() { return projecto.caminho + "/copiaseg"; }

    // Sets columns of a register row ("BUP_X=valor, ...", SQL values).
    void regista(const std::string& nome_bd, const std::string& atribuicoes) {
        principal().Execute("update BUPS set " + atribuicoes +
                            " where BUP_NOME_BD=" + engine::quote_literal(nome_bd));
    }
    Value coluna(const std::string& nome_bd, const std::string& coluna) {
        engine::Recordset rs = principal().OpenRecordset("select * from BUPS where BUP_NOME_BD=" +
                                                         engine::quote_literal(nome_bd));
        return rs[coluna];
    }

    // One backup of a register row, as the backup window runs it.
    void copia(const std::string& nome_bd) {
        engine::Database db = principal();
        engine::Recordset rs = db.OpenRecordset("select * from BUPS");
        ASSERT_TRUE(rs.FindFirst("BUP_NOME_BD=" + engine::quote_literal(nome_bd)));
        backup::Progresso sem_progresso;
        backup::CopiaBaseDados(services, projecto, log, sem_progresso).copia(rs);
        EXPECT_EQ(log.mensagens().find("pezolva-tmp"), std::string::npos)
            << "messages name the copy, never its temporary file";
    }

    // Every file of a folder (hidden ones included), sorted.
    std::vector<std::string> ficheiros(const std::string& pasta) {
        std::vector<std::string> nomes = files.list_files(pasta);
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    void cria_copia_antiga(const std::string& nome) {
        create_directories(files, pasta_copias());
        files.copy_file(projecto_teste.principal.caminho, pasta_copias() + "/" + nome);
    }

    TestServices t;
    TempDir& dir = t.dir;
    ScriptedDialogs& dialogs = t.dialogs;
    FaultyFileSystem& files = t.files;
    Services& services = t.services;
    testproject::Projecto projecto_teste;
    ProjectoActual projecto;
    backup::LogsExecucao log;
};

}  // namespace pezolva::testing
