// A live database that defines exactly what its structure does, and whose
// rows break none of its rules, is copied page for page from its snapshot;
// any other is filled row by row, as before.  Either way the copy holds
// the structure's definitions and the rows the structure accepts, and a
// damaged one is never named.
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "backup_fixture.h"

namespace pezolva {
namespace {

using testing::BackupFixture;
namespace tp = testproject;

class CopiaPorPaginasTest : public BackupFixture {
  protected:
    void SetUp() override { create_directories(files, pasta_copias()); }

    std::string caminho_copia() { return pasta_copias() + "/log200505191407.mdb"; }
    std::string caminho_vivo() { return projecto_teste.log.caminho; }

    engine::Database copia_aberta() {
        return engine::OpenDatabase(caminho_copia(), false, true, projecto_teste.log.ligacao());
    }
    static std::string texto(engine::Database& db, const std::string& sql) {
        return db.OpenRecordset(sql).Fields(std::size_t{0}).to_text();
    }
    static std::string definicoes(engine::Database& db) {
        return texto(
            db,
            "SELECT group_concat(sql, '; ') FROM (SELECT sql FROM sqlite_schema ORDER BY name)");
    }
};

TEST_F(CopiaPorPaginasTest, TheCopyHoldsTheStructuresDefinitionsAndTheRowsItAccepts) {
    struct Caso {
        const char* nome;
        std::vector<std::string> no_vivo;  // run on the live database before the backup
        std::string erros;                 // the error log expected
        std::int64_t acessos;              // rows of acessos expected in the copy
        std::int64_t alteracoes;
        bool por_paginas;  // the copy is the snapshot's pages
    };
    const std::int64_t a = projecto_teste.log.linhas.at("acessos");
    const std::int64_t b = projecto_teste.log.linhas.at("alteracoes");
    const std::string na_base = " na base de dados " + caminho_vivo() + ".";
    const std::vector<Caso> casos = {
        {"igual e limpa", {}, "", a, b, true},
        {"um valor de tipo errado",
         {"INSERT INTO acessos (id_acesso, utilizador, entrada, sucesso) VALUES (900001, 'x', "
          "'2005-05-19', 'talvez')"},
         "Erros detectados ao copiar a tabela acessos" + na_base,
         a,
         b,
         false},
        {"um filho sem pai",
         {"PRAGMA foreign_keys = OFF",
          "INSERT INTO alteracoes (id_alteracao, id_acesso, data_hora, tabela, operacao) "
          "VALUES (900001, 900002, '2005-05-19', 't', 'I')"},
         "Erros detectados ao copiar a tabela alteracoes" + na_base,
         a,
         b,
         false},
        {"um índice a mais", {"CREATE INDEX ix_extra ON acessos (posto)"}, "", a, b, false},
        {"um índice definido de outro modo",
         {"DROP INDEX ix_acessos_entrada",
          "CREATE INDEX ix_acessos_entrada ON acessos (entrada DESC)"},
         "",
         a,
         b,
         false},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        {
            engine::Database viva = tp::abre(projecto_teste.log);
            for (const std::string& sql : caso.no_vivo) viva.Execute(sql);
        }
        const std::string estrutura = [&] {
            engine::Database e = tp::abre_estrutura(projecto_teste.log);
            return definicoes(e);
        }();
        const std::int64_t linhas_vivas = [&] {
            engine::Database viva = tp::abre(projecto_teste.log);
            return viva
                .OpenRecordset(
                    "SELECT (SELECT count(*) FROM acessos) + (SELECT count(*) FROM alteracoes) + "
                    "(SELECT count(*) FROM parametros)")
                .Fields(std::size_t{0})
                .to_integer()
                .value_or(-1);
        }();
        log = backup::LogsExecucao();
        // The stage times tell which way the copy was made.
        ::setenv("PEZOLVA_TEMPOS", "1", 1);
        ::testing::internal::CaptureStderr();
        copia("log.mdb");
        const std::string etapas = ::testing::internal::GetCapturedStderr();
        ::unsetenv("PEZOLVA_TEMPOS");
        EXPECT_EQ(etapas.find("verificar o instantâneo") != std::string::npos, caso.por_paginas)
            << etapas;
        EXPECT_EQ(log.erros(), caso.erros);
        ASSERT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"log200505191407.mdb"})
            << "no temporary file is left";
        if (caso.por_paginas) {
            EXPECT_EQ(pezolva::testing::read_file(caminho_copia()).size(),
                      pezolva::testing::read_file(caminho_vivo()).size())
                << "the live file's pages";
        }
        {
            engine::Database db = copia_aberta();
            EXPECT_EQ(texto(db, "PRAGMA quick_check"), "ok");
            EXPECT_TRUE(db.OpenRecordset("PRAGMA foreign_key_check").IsEOF());
            EXPECT_EQ(definicoes(db), estrutura);
            EXPECT_EQ(texto(db, "SELECT count(*) FROM acessos"), std::to_string(caso.acessos));
            EXPECT_EQ(texto(db, "SELECT count(*) FROM alteracoes"),
                      std::to_string(caso.alteracoes));
            engine::Database e = tp::abre_estrutura(projecto_teste.log);
            EXPECT_EQ(texto(db, "SELECT Sal FROM MSysAcesso"),
                      texto(e, "SELECT Sal FROM MSysAcesso"))
                << "the engine's own tables are the structure's, never copied";
        }
        EXPECT_EQ(coluna("log.mdb", "BUP_ULT_N_REGISTOS").to_integer(), linhas_vivas)
            << "the statistics count the live rows read";
        // The live database goes back to its first state for the next case.
        files.remove(caminho_copia());
        for (const std::string& f : files.list_files(pasta_copias()))
            files.remove(pasta_copias() + "/" + f);
        engine::Database viva = tp::abre(projecto_teste.log);
        viva.Execute("DELETE FROM alteracoes WHERE id_alteracao = 900001");
        viva.Execute("DELETE FROM acessos WHERE id_acesso = 900001");
        viva.Execute("DROP INDEX IF EXISTS ix_extra");
        viva.Execute("DROP INDEX ix_acessos_entrada");
        viva.Execute("CREATE INDEX \"ix_acessos_entrada\" ON \"acessos\" (\"entrada\")");
    }
}

TEST_F(CopiaPorPaginasTest, ADamagedLiveFileGivesNoCopy) {
    // A page of a table overwritten, as a failing disk would leave it; the
    // header and the schema still read.
    std::int64_t raiz = 0;
    {
        engine::Database viva = tp::abre(projecto_teste.log);
        raiz = viva.OpenRecordset("SELECT rootpage FROM sqlite_schema WHERE name = 'alteracoes'")
                   .Fields(std::size_t{0})
                   .to_integer()
                   .value_or(0);
    }
    ASSERT_GT(raiz, 1);
    {
        std::fstream f(caminho_vivo(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp((raiz - 1) * 4096);
        const std::string lixo(4096, '\x5a');
        f.write(lixo.data(), static_cast<std::streamsize>(lixo.size()));
    }
    copia("log.mdb");
    EXPECT_NE(log.erros().find(caminho_vivo()), std::string::npos) << log.erros();
    EXPECT_EQ(log.erros().find("pezolva-tmp"), std::string::npos) << log.erros();
    EXPECT_TRUE(ficheiros(pasta_copias()).empty()) << "nothing named, nothing left";
}

TEST_F(CopiaPorPaginasTest, APageThatNoTableAndNoFreeListHoldsGivesNoCopy) {
    // One page more at the end of the live file, counted in its header but
    // in no b-tree and not on the free list: the check must account for
    // every page, not only read the tables.
    std::string ficheiro = pezolva::testing::read_file(caminho_vivo());
    const auto le = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(ficheiro[at])) << 24) |
               (std::uint32_t(std::uint8_t(ficheiro[at + 1])) << 16) |
               (std::uint32_t(std::uint8_t(ficheiro[at + 2])) << 8) |
               std::uint32_t(std::uint8_t(ficheiro[at + 3]));
    };
    const std::uint32_t paginas = le(28) + 1;
    ASSERT_EQ(le(24), le(92)) << "the header's page count is valid";
    for (int i = 0; i < 4; ++i) ficheiro[28 + i] = static_cast<char>(paginas >> (24 - 8 * i));
    ficheiro.append(4096, '\0');
    {
        std::ofstream out(caminho_vivo(), std::ios::binary | std::ios::trunc);
        out.write(ficheiro.data(), static_cast<std::streamsize>(ficheiro.size()));
    }
    copia("log.mdb");
    EXPECT_NE(log.erros().find("não ficou completa"), std::string::npos) << log.erros();
    EXPECT_NE(log.erros().find("páginas em uso"), std::string::npos) << log.erros();
    EXPECT_TRUE(ficheiros(pasta_copias()).empty()) << "nothing named, nothing left";
}

}  // namespace
}  // namespace pezolva
