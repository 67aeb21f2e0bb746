#include "testproject/divergencias.h"

#include <functional>

#include "engine/error.h"
#include "testproject/fixture.h"

namespace pezolva::testproject {
namespace {

using DivergenciasTest = ProjectoTeste;

// The lines of a table in a schema description: its own and its relations.
std::set<std::string> linhas_da_tabela(const std::set<std::string>& esquema,
                                       const std::string& tabela) {
    std::set<std::string> out;
    for (const std::string& l : esquema) {
        if (l == "tabela " + tabela || l.starts_with("campo " + tabela + ".") ||
            l.starts_with("índice " + tabela + ".") ||
            l.find(" <- " + tabela + "(") != std::string::npos) {
            out.insert(l);
        }
    }
    return out;
}

// Each helper, on the database or on its structure, makes exactly the
// difference it names between the two, and loses no row.
TEST_F(DivergenciasTest, CadaAjudaMudaUmaSoCoisa) {
    struct Caso {
        const char* nome;
        bool na_estrutura;
        std::function<void(engine::Database&)> muda;
        std::set<std::string> so_na_base;
        std::set<std::string> so_na_estrutura;
    };
    engine::Database original = abre(modelo().principal);
    const std::set<std::string> turnos = linhas_da_tabela(descreve_esquema(original), "turnos");
    original.Close();
    const std::vector<Caso> casos = {
        {"tamanho",
         true,
         [](engine::Database& db) { muda_tamanho(db, "bombeiros", "nome", 60); },
         {"campo bombeiros.nome tipo 10 tamanho 120 obrigatório"},
         {"campo bombeiros.nome tipo 10 tamanho 60 obrigatório"}},
        {"tipo",
         false,
         [](engine::Database& db) { muda_tipo(db, "viaturas", "km", "FLOAT"); },
         {"campo viaturas.km tipo 6 tamanho 4"},
         {"campo viaturas.km tipo 4 tamanho 4"}},
        {"índice na estrutura",
         true,
         [](engine::Database& db) { apaga_indice(db, "ocorrencias", "ix_ocorrencias_data"); },
         {"índice ocorrencias.ix_ocorrencias_data (data_hora)"},
         {}},
        {"índice na base",
         false,
         [](engine::Database& db) { apaga_indice(db, "viaturas", "ix_viaturas_matricula"); },
         {},
         {"índice viaturas.ix_viaturas_matricula (matricula) único"}},
        {"tabela na estrutura",
         true,
         [](engine::Database& db) { apaga_tabela(db, "turnos"); },
         turnos,
         {}},
        {"tabela na base",
         false,
         [](engine::Database& db) { apaga_tabela(db, "turnos"); },
         {},
         turnos},
        {"campo",
         false,
         [](engine::Database& db) { apaga_campo(db, "bombeiros", "observacoes"); },
         {},
         {"campo bombeiros.observacoes tipo 10 tamanho 200"}},
        {"relação",
         false,
         [](engine::Database& db) { apaga_relacao(db, kRelacaoTurnos); },
         {},
         {"relação rel_bombeiros_turnos bombeiros(id_bombeiro) <- turnos(id_bombeiro)"}},
        {"ciclo entre duas tabelas",
         false,
         [](engine::Database& db) { cria_ciclo_mutuo(db); },
         {"relação rel_quarteis_corporacoes_sede quarteis(id_quartel) <- "
          "corporacoes(id_quartel_sede)"},
         {}},
        {"tabela que se refere a si",
         false,
         [](engine::Database& db) { cria_auto_relacao(db); },
         {"relação rel_bombeiros_superior bombeiros(id_bombeiro) <- bombeiros(id_superior)"},
         {}},
        {"versão", true, [](engine::Database& db) { muda_versao(db, "20060101"); }, {}, {}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        std::filesystem::remove_all(pasta());
        const Projecto p = copia_do_modelo();
        {
            engine::Database alvo =
                c.na_estrutura ? abre_estrutura(p.principal) : abre(p.principal);
            c.muda(alvo);
        }
        engine::Database base = abre(p.principal);
        engine::Database estrutura = abre_estrutura(p.principal);
        const auto esquema_base = descreve_esquema(base);
        const auto esquema_estrutura = descreve_esquema(estrutura);
        EXPECT_EQ(so_em(esquema_base, esquema_estrutura), c.so_na_base);
        EXPECT_EQ(so_em(esquema_estrutura, esquema_base), c.so_na_estrutura);
        EXPECT_EQ(versao_de(base) != versao_de(estrutura), std::string(c.nome) == "versão");

        auto linhas = conta_linhas(base);
        auto antes = p.principal.linhas;
        if (std::string(c.nome) == "tabela na base") antes.erase("turnos");
        EXPECT_EQ(linhas, antes);
        EXPECT_EQ(violacoes(base), 0);
    }
}

TEST_F(DivergenciasTest, ATabelaReescritaGuardaLinhasIndicesERelacoes) {
    const Projecto p = copia_do_modelo();
    engine::Database db = abre(p.principal);
    const auto antes = conteudo(db);
    const auto esquema = descreve_esquema(db);

    muda_tamanho(db, "quarteis", "nome", 90);
    muda_tamanho(db, "quarteis", "nome", 80);
    EXPECT_EQ(conteudo(db), antes);
    EXPECT_EQ(descreve_esquema(db), esquema);
    // The relations that point at it still hold and still refuse orphans.
    try {
        db.Execute(
            "INSERT INTO viaturas (id_viatura, id_quartel, cod_tipo, matricula) VALUES (99999, "
            "99999, 'VUCI', 'x')");
        ADD_FAILURE() << "uma viatura sem quartel entrou";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.numero(), engine::ErroIntegridade);
    }
}

TEST_F(DivergenciasTest, UmaAlteracaoQueAsLinhasNaoRespeitamNaoMudaNada) {
    const Projecto p = copia_do_modelo();
    engine::Database db = abre(p.principal);
    const auto antes = conteudo(db);
    const auto esquema = descreve_esquema(db);
    // Shifts last 4 to 24 hours; categories are numbered 1 to 12.
    EXPECT_THROW(
        acrescenta_relacao(
            db, {"rel_categorias_turnos", "categorias", {"cod_categoria"}, "turnos", {"horas"}}),
        std::runtime_error);
    EXPECT_EQ(descreve_esquema(db), esquema);
    EXPECT_EQ(conteudo(db), antes);
    EXPECT_THROW(db.Execute("UPDATE turnos SET id_bombeiro = 99999 WHERE id_turno = 1"),
                 engine::EngineError);

    EXPECT_THROW(apaga_relacao(db, "rel_que_nao_existe"), engine::EngineError);
    EXPECT_THROW(muda_tamanho(db, "viaturas", "km", 10), std::invalid_argument);
    EXPECT_THROW(acrescenta_relacao(
                     db, {kRelacaoTurnos, "bombeiros", {"id_bombeiro"}, "turnos", {"id_bombeiro"}}),
                 std::invalid_argument);
    EXPECT_EQ(descreve_esquema(db), esquema);
}

// A row the live database holds but a stricter structure refuses: the
// copy of its table keeps one row less, every other table is whole.
TEST_F(DivergenciasTest, LinhasQueAEstruturaRecusaFicamDeForaDaCopia) {
    struct Caso {
        const char* nome;
        std::function<std::string(engine::Database&)> insere;
    };
    for (const Caso& c :
         {Caso{"tipo errado", insere_linha_tipo_errado}, Caso{"órfã", [](engine::Database& db) {
                                                                  apaga_relacao(db, kRelacaoTurnos);
                                                                  return insere_linha_orfa(db);
                                                              }}}) {
        SCOPED_TRACE(c.nome);
        std::filesystem::remove_all(pasta());
        Projecto p = copia_do_modelo();
        std::string tabela;
        {
            engine::Database db = abre(p.principal);
            tabela = c.insere(db);
            p.principal.linhas = conta_linhas(db);
        }
        auto esperadas = p.principal.linhas;
        esperadas[tabela] -= 1;
        EXPECT_EQ(copia_para_estrutura(p.principal), esperadas);
    }
}

TEST_F(DivergenciasTest, UmaLinhaOrfaNaoEntraEnquantoHouverARelacao) {
    const Projecto p = copia_do_modelo();
    engine::Database db = abre(p.principal);
    try {
        insere_linha_orfa(db);
        ADD_FAILURE() << "a linha órfã entrou";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.numero(), engine::ErroIntegridade);
    }
    EXPECT_EQ(conta_linhas(db), p.principal.linhas);
}

}  // namespace
}  // namespace pezolva::testproject
