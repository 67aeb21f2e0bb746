#include "project/projecto.h"

#include <algorithm>
#include <filesystem>

#include "common/scripted_dialogs.h"
#include "engine/error.h"
#include "engine/quoting.h"
#include "register/bups.h"
#include "testproject/fixture.h"

namespace pezolva::testproject {
namespace {

namespace fs = std::filesystem;

std::set<std::string> ficheiros_em(const std::string& pasta) {
    std::set<std::string> nomes;
    for (const auto& e : fs::directory_iterator(pasta)) nomes.insert(e.path().filename().string());
    return nomes;
}

std::int64_t inteiro(engine::Database& db, const std::string& sql) {
    engine::Recordset rs = db.OpenRecordset(sql);
    return rs.Fields(std::size_t{0}).to_integer().value_or(-1);
}

using ProjectoTest = ProjectoTeste;

TEST_F(ProjectoTest, CadaBaseAbreComASuaPalavraPasseENaoComOutra) {
    const Projecto p = cria();
    EXPECT_EQ(ficheiros_em(pasta()),
              (std::set<std::string>{"brasol.mdb", "brasol_fotos.mdb", "log.mdb", "estr_b.ebd",
                                     "estr_f.ebd", "estr_l.ebd"}));
    for (const BaseDados* bd : p.bases()) {
        for (const std::string& f : {bd->caminho, bd->estrutura}) {
            SCOPED_TRACE(f);
            EXPECT_NO_THROW(engine::OpenDatabase(f, false, false, bd->ligacao()).Close());
            if (bd->palavra_passe.empty()) continue;
            try {
                engine::OpenDatabase(f, false, false, ";pwd=" + bd->palavra_passe + "x");
                ADD_FAILURE() << "abriu com outra palavra-passe";
            } catch (const engine::EngineError& e) {
                EXPECT_EQ(e.numero(), engine::ErroPalavraPasse);
            }
        }
    }
}

// The register the component makes at its first start names these files
// and passwords: each of its rows must open its database and structure.
TEST_F(ProjectoTest, OsRegistosPorOmissaoAbremOProjecto) {
    const Projecto p = copia_do_modelo();
    ProjectoActual actual;
    actual.caminho = p.pasta;
    actual.nome_bd = kPrincipal;
    actual.passwd = kPassePrincipal;
    ScriptedDialogs dialogs;
    engine::Database principal = abre(p.principal);
    ASSERT_TRUE(cria_bups(principal, actual, dialogs));
    engine::Recordset rs = principal.OpenRecordset("SELECT * FROM BUPS");
    int linhas = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++linhas) {
        const std::string passe = rs.Fields(bups::kPasswd).to_text();
        const std::string bd = p.pasta + "/" + rs.Fields(bups::kNomeBd).to_text();
        const std::string estrutura = p.pasta + "/" + rs.Fields(bups::kUltNomeEstrutura).to_text();
        for (const std::string& f : {bd, estrutura}) {
            SCOPED_TRACE(f);
            EXPECT_NO_THROW(engine::OpenDatabase(f, false, true, ";pwd=" + passe).Close());
        }
    }
    EXPECT_EQ(linhas, 3);
}

TEST_F(ProjectoTest, EstruturaTemOEsquemaEAVersaoDaBaseESoAVersao) {
    const Projecto& p = modelo();
    for (const BaseDados* bd : p.bases()) {
        SCOPED_TRACE(bd->caminho);
        engine::Database base = abre(*bd);
        engine::Database estrutura = abre_estrutura(*bd);
        EXPECT_EQ(descreve_esquema(base), descreve_esquema(estrutura));
        EXPECT_EQ(versao_de(base), std::optional<Value>("20050519"));
        EXPECT_EQ(versao_de(estrutura), std::optional<Value>("20050519"));
        for (const auto& [tabela, n] : conta_linhas(estrutura))
            EXPECT_EQ(n, tabela == "parametros" ? 1 : 0) << tabela;
        EXPECT_FALSE(base.TableDefs().Contains("BUPS"));
    }
}

// Depth of each table in the graph of relations (0: refers to none); -1
// when the relations form a cycle.
int profundidade_maxima(engine::Database& db) {
    std::map<std::string, int> nivel;
    for (const engine::TableDef& t : db.TableDefs()) nivel[fold_case(t.Name())] = 0;
    const auto relacoes = db.Relations();
    for (std::size_t volta = 0; volta <= nivel.size(); ++volta) {
        bool mudou = false;
        for (const engine::Relation& r : relacoes) {
            int& filha = nivel[fold_case(r.ForeignTable())];
            if (filha < nivel[fold_case(r.Table())] + 1)
                filha = nivel[fold_case(r.Table())] + 1, mudou = true;
        }
        if (!mudou) {
            return std::max_element(nivel.begin(), nivel.end(),
                                    [](auto& a, auto& b) { return a.second < b.second; })
                ->second;
        }
    }
    return -1;
}

TEST_F(ProjectoTest, EsquemaPrincipalTemONecessarioParaAsCopiasEAVerificacao) {
    const Projecto& p = modelo();
    engine::Database db = abre(p.principal);
    const auto tabelas = db.TableDefs();
    EXPECT_GE(tabelas.Count(), 13u);  // a dozen, the password table aside
    EXPECT_GE(profundidade_maxima(db), 4);

    std::map<std::string, std::set<std::string>> maes;
    bool relacao_composta = false;
    for (const engine::Relation& r : db.Relations()) {
        maes[r.ForeignTable()].insert(r.Table());
        relacao_composta = relacao_composta || r.Fields().size() > 1;
    }
    EXPECT_TRUE(
        std::any_of(maes.begin(), maes.end(), [](auto& m) { return m.second.size() >= 2; }));
    EXPECT_TRUE(relacao_composta);

    std::set<int> tipos;
    bool chave_composta = false, unico = false, nao_unico = false;
    for (const engine::TableDef& t : tabelas) {
        for (const engine::Field& f : t.Fields()) tipos.insert(f.Type());
        for (const engine::Index& i : t.Indexes()) {
            chave_composta = chave_composta || (i.Primary() && i.Fields().size() > 1);
            unico = unico || (!i.Primary() && i.Unique());
            nao_unico = nao_unico || !i.Unique();
        }
    }
    EXPECT_TRUE(chave_composta && unico && nao_unico);
    for (int tipo :
         {engine::TipoSimNao, engine::TipoByte, engine::TipoInteiro, engine::TipoLongo,
          engine::TipoSimples, engine::TipoDuplo, engine::TipoDataHora, engine::TipoTexto}) {
        EXPECT_TRUE(tipos.count(tipo)) << "tipo " << tipo;
    }
    engine::Database fotos = abre(p.fotos);
    EXPECT_TRUE(descreve_esquema(fotos).count("campo fotos_bombeiros.foto tipo 11 tamanho 0"));
}

TEST_F(ProjectoTest, LinhasSeguemAsOpcoes) {
    struct Caso {
        std::int64_t linhas;
        std::int64_t maior;
        std::int64_t menor;
    };
    for (const Caso c : {Caso{0, 1, 0}, Caso{300, 300, 2}}) {
        SCOPED_TRACE(c.linhas);
        const Projecto p =
            c.linhas == modelo().principal.linhas.at("ocorrencias") ? modelo() : cria(c.linhas);
        for (const BaseDados* bd : p.bases()) {
            const auto contadas = conta_linhas(bd->caminho, bd->palavra_passe);
            EXPECT_EQ(contadas, bd->linhas) << bd->caminho;
            EXPECT_EQ(contadas.at("parametros"), 1);
        }
        std::int64_t maior = 0, menor = INT64_MAX;
        for (const auto& [tabela, n] : p.principal.linhas) {
            if (tabela == "parametros") continue;
            maior = std::max(maior, n);
            menor = std::min(menor, n);
        }
        EXPECT_EQ(std::max<std::int64_t>(maior, 1), c.maior);
        EXPECT_EQ(menor, c.menor);
    }
}

TEST_F(ProjectoTest, TamanhoPedidoDaBasePrincipal) {
    Opcoes o;
    o.bytes = 3'000'000;
    const Projecto p = cria_projecto(pasta(), o);
    const auto tamanho = static_cast<double>(fs::file_size(p.principal.caminho));
    EXPECT_GT(tamanho, 0.75 * o.bytes);
    EXPECT_LT(tamanho, 1.33 * o.bytes);
}

// Every value fits its field (SQLite would take text longer than the field,
// or words in a number field, and a copy would then lose the row); texts,
// empty fields and dates vary as real ones do.
TEST_F(ProjectoTest, ValoresCabemNosCamposEVariam) {
    const Projecto& p = modelo();
    for (const BaseDados* bd : p.bases()) {
        engine::Database db = abre(*bd);
        for (const engine::TableDef& t : db.TableDefs()) {
            if (tabela_de_sistema(t.Name())) continue;
            const std::string tabela = engine::quote_identifier(t.Name());
            for (const engine::Field& f : t.Fields()) {
                SCOPED_TRACE(t.Name() + "." + f.Name());
                const std::string campo = engine::quote_identifier(f.Name());
                auto conta = [&](const std::string& condicao) {
                    return inteiro(db, "SELECT count(*) FROM " + tabela + " WHERE " + condicao);
                };
                if (f.Type() == engine::TipoTexto) {
                    EXPECT_EQ(conta("length(" + campo + ") > " + std::to_string(f.Size())), 0);
                } else if (f.Type() == engine::TipoDataHora) {
                    EXPECT_EQ(conta(campo + " IS NOT NULL AND (julianday(" + campo +
                                    ") IS NULL OR typeof(" + campo + ") <> 'text')"),
                              0);
                } else if (engine::is_numeric_code(f.Type())) {
                    EXPECT_EQ(conta("typeof(" + campo + ") NOT IN ('integer', 'real', 'null')"), 0);
                }
                if (f.Required()) {
                    EXPECT_EQ(conta(campo + " IS NULL"), 0);
                }
            }
        }
    }
    engine::Database db = abre(p.principal);
    EXPECT_LE(inteiro(db, "SELECT min(length(descricao)) FROM ocorrencias"), 10);
    EXPECT_GE(inteiro(db, "SELECT max(length(descricao)) FROM ocorrencias"), 190);
    EXPECT_GT(inteiro(db,
                      "SELECT count(*) FROM ocorrencias WHERE length(descricao) < "
                      "length(CAST(descricao AS BLOB))"),
              150);  // accented
    EXPECT_GE(inteiro(db, "SELECT count(DISTINCT substr(data_hora, 1, 4)) FROM ocorrencias"), 15);
    const std::int64_t sem_area =
        inteiro(db, "SELECT count(*) FROM ocorrencias WHERE area_ardida IS NULL");
    EXPECT_GT(sem_area, 150);
    EXPECT_LT(sem_area, 270);
    EXPECT_EQ(inteiro(db, "SELECT count(DISTINCT encerrada) FROM ocorrencias"), 2);
    EXPECT_EQ(inteiro(db,
                      "SELECT count(*) FROM bombeiros WHERE data_admissao < date(data_nascimento, "
                      "'+16 years')"),
              0);
}

TEST_F(ProjectoTest, MesmaSementeMesmasLinhasQualquerQueSejaOModoDeCarga) {
    Opcoes lenta;
    lenta.chaves_na_carga = true;
    lenta.indices_na_carga = true;
    Opcoes outra;
    outra.semente = 2;
    const Projecto a = cria(60);
    const Projecto b = cria(60, lenta, dir_.file("b"));
    const Projecto c = cria(60, outra, dir_.file("c"));
    for (std::size_t k = 0; k < 3; ++k) {
        const BaseDados& x = *a.bases()[k];
        EXPECT_EQ(conteudo(x.caminho, x.palavra_passe),
                  conteudo(b.bases()[k]->caminho, x.palavra_passe));
        EXPECT_NE(conteudo(x.caminho, x.palavra_passe),
                  conteudo(c.bases()[k]->caminho, x.palavra_passe));
        engine::Database da = abre(x);
        engine::Database db = abre(*b.bases()[k]);
        EXPECT_EQ(descreve_esquema(da), descreve_esquema(db));
    }
}

TEST_F(ProjectoTest, UmaCopiaParaAEstruturaGuardaTodasAsLinhas) {
    const Projecto& p = modelo();
    for (const BaseDados* bd : p.bases()) {
        engine::Database db = abre(*bd);
        EXPECT_EQ(violacoes(db), 0) << bd->caminho;
        EXPECT_EQ(copia_para_estrutura(*bd), bd->linhas) << bd->caminho;
    }
}

TEST_F(ProjectoTest, NaoSobrepoeNenhumFicheiroDoProjecto) {
    const Projecto p = cria();
    const auto antes = conteudo(p.principal.caminho, p.principal.palavra_passe);
    const auto nomes = ficheiros_em(pasta());
    try {
        cria();
        FAIL() << "criou por cima";
    } catch (const ErroProjecto& e) {
        EXPECT_EQ(std::string(e.what()), "Já existe o ficheiro " + p.principal.caminho +
                                             ": o projecto de teste não foi criado.");
    }
    EXPECT_EQ(conteudo(p.principal.caminho, p.principal.palavra_passe), antes);
    EXPECT_EQ(ficheiros_em(pasta()), nomes);

    // One file in the way is enough, and it stays as it was.
    const std::string outra = dir_.file("outra");
    fs::create_directories(outra);
    testing::write_file(outra + "/estr_l.ebd", "não é uma base de dados");
    EXPECT_THROW(cria(20, {}, outra), ErroProjecto);
    EXPECT_EQ(ficheiros_em(outra), std::set<std::string>{"estr_l.ebd"});
    EXPECT_EQ(testing::read_file(outra + "/estr_l.ebd"), "não é uma base de dados");
}

TEST_F(ProjectoTest, UmaFalhaAMeioNaoDeixaFicheirosDoProjecto) {
    // The log's temporary name is taken by a folder that cannot be removed.
    fs::create_directories(ficheiro("log.mdb.a-criar/dentro"));
    EXPECT_THROW(cria(), engine::EngineError);
    EXPECT_EQ(ficheiros_em(pasta()), std::set<std::string>{"log.mdb.a-criar"});
}

TEST_F(ProjectoTest, ReutilizaUmProjectoCompletoSemLheMexer) {
    Opcoes o;
    o.linhas = 40;
    const Projecto novo = reutiliza_ou_cria(pasta(), o);
    EXPECT_EQ(novo.principal.linhas.at("ocorrencias"), 40);
    const auto antes = conteudo(novo.principal.caminho, kPassePrincipal);

    o.linhas = 7;
    const Projecto mesmo = reutiliza_ou_cria(pasta(), o);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(mesmo.bases()[k]->linhas, novo.bases()[k]->linhas);
        EXPECT_EQ(mesmo.bases()[k]->estrutura, novo.bases()[k]->estrutura);
    }
    EXPECT_EQ(conteudo(novo.principal.caminho, kPassePrincipal), antes);

    fs::remove(ficheiro("estr_l.ebd"));
    try {
        reutiliza_ou_cria(pasta(), o);
        FAIL() << "reutilizou um projecto incompleto";
    } catch (const ErroProjecto& e) {
        EXPECT_EQ(std::string(e.what()), "O projecto de teste em " + pasta() +
                                             " está incompleto: falta o ficheiro " +
                                             ficheiro("estr_l.ebd") + ".");
    }
    o.estruturas = false;
    const Projecto sem = reutiliza_ou_cria(pasta(), o);
    EXPECT_EQ(sem.log.estrutura, "");
    EXPECT_EQ(sem.principal.estrutura, ficheiro("estr_b.ebd"));
}

}  // namespace
}  // namespace pezolva::testproject
