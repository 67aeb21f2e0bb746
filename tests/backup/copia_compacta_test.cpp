// A finished copy is compact and whole, whether the fill left it compact
// or rows refused by the structure made a compaction necessary.
#include "backup_fixture.h"
#include "engine/lock_file.h"
#include "testproject/divergencias.h"

namespace pezolva {
namespace {

using testing::BackupFixture;
namespace tp = testproject;

class CopiaCompactaTest : public BackupFixture {
  protected:
    void SetUp() override { create_directories(files, pasta_copias()); }

    std::string caminho_copia() { return pasta_copias() + "/brasol200505191407.mdb"; }

    std::int64_t valor(const std::string& caminho, const std::string& sql) {
        engine::Database db = engine::OpenDatabase(caminho, false, true, projecto.ligacao());
        return db.OpenRecordset(sql).Fields(std::size_t{0}).to_integer().value_or(-1);
    }

    // Rows of turnos whose fireman does not exist, many enough to free pages
    // when the copy refuses them.
    void insere_turnos_orfaos(int quantos) {
        engine::Database viva = tp::abre(projecto_teste.principal);
        tp::apaga_relacao(viva, tp::kRelacaoTurnos);
        viva.Execute(
            "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
            std::to_string(quantos) +
            ") INSERT INTO turnos (id_turno, id_bombeiro, id_quartel, inicio, horas, tipo) "
            "SELECT 1000000 + i, 999999, (SELECT min(id_quartel) FROM quarteis), "
            "'2005-05-19 08:00:00', 8, 'D' FROM s");
    }
};

TEST_F(CopiaCompactaTest, EveryCopyIsCompactAndHoldsTheRowsTheStructureAccepts) {
    struct Caso {
        const char* nome;
        int orfaos;  // rows of turnos without a fireman
        bool tipo_errado;
    };
    for (const Caso& caso : {Caso{"sem recusas", 0, false}, Caso{"com recusas", 3000, true}}) {
        SCOPED_TRACE(caso.nome);
        std::string erros;
        if (caso.orfaos > 0) {
            insere_turnos_orfaos(caso.orfaos);
            erros += "Erros detectados ao copiar a tabela turnos na base de dados " +
                     projecto.base_principal() + ".";
        }
        if (caso.tipo_errado) {
            engine::Database viva = tp::abre(projecto_teste.principal);
            erros = "Erros detectados ao copiar a tabela " + tp::insere_linha_tipo_errado(viva) +
                    " na base de dados " + projecto.base_principal() + ".\r\n" + erros;
        }
        for (const std::string& f : {caminho_copia(), engine::companion_path(caminho_copia())}) {
            if (files.exists(f))
                files.remove(f);  // the previous case's copy, and the lock of its reading here
        }
        copia("brasol.mdb");
        EXPECT_EQ(log.erros(), erros);
        EXPECT_EQ(ficheiros(pasta_copias()), std::vector<std::string>{"brasol200505191407.mdb"})
            << "no temporary file is left";

        EXPECT_EQ(valor(caminho_copia(), "PRAGMA freelist_count"), 0);
        const std::string compactada = dir.file(std::string("compactada ") + caso.nome + ".mdb");
        engine::CompactDatabase(caminho_copia(), compactada, "", 0, projecto.ligacao());
        EXPECT_LE(valor(caminho_copia(), "PRAGMA page_count"),
                  valor(compactada, "PRAGMA page_count"));
        engine::Database db =
            engine::OpenDatabase(caminho_copia(), false, true, projecto.ligacao());
        EXPECT_TRUE(db.OpenRecordset("PRAGMA foreign_key_check").IsEOF());
        for (const auto& [tabela, linhas] : projecto_teste.principal.linhas) {
            EXPECT_EQ(db.OpenRecordset("select count(*) from " + engine::quote_identifier(tabela))
                          .Fields(std::size_t{0})
                          .to_integer(),
                      linhas)
                << tabela;
        }
    }
}

}  // namespace
}  // namespace pezolva
