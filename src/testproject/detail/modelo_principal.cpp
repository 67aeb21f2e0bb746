// The main database: the management of fire brigades.  Levels of the
// relations: distritos -> concelhos -> corporacoes -> quarteis -> viaturas
// -> servicos -> guarnicoes, with lookup tables beside them.
#include <algorithm>

#include "engine/quoting.h"
#include "testproject/detail/modelo.h"
#include "testproject/detail/sorteio.h"
#include "testproject/detail/vocabulario.h"

namespace pezolva::testproject::detail {
namespace {

using engine::quote_literal;

constexpr bool kObrigatoria = true;
constexpr bool kOpcional = false;

std::string n(std::int64_t v) { return std::to_string(v); }

Coluna col(std::string nome, std::string tipo, bool obrigatoria, std::string valor) {
    return {std::move(nome), std::move(tipo), obrigatoria, std::move(valor)};
}

Relacao rel(std::string nome, std::string mae, std::vector<std::string> campos,
            std::vector<std::string> campos_mae) {
    return {std::move(nome), std::move(mae), std::move(campos), std::move(campos_mae)};
}

// How many rows each table gets.
struct Contagens {
    std::int64_t distritos, categorias, tipos_ocorrencia, tipos_viatura, tipos_equipamento,
        concelhos, corporacoes, quarteis, viaturas, bombeiros, equipamentos, ocorrencias, servicos,
        guarnicoes, turnos;

    explicit Contagens(std::int64_t l)
        : distritos(std::min<std::int64_t>(l, 18)),
          categorias(std::min<std::int64_t>(l, 12)),
          tipos_ocorrencia(std::min<std::int64_t>(l, 15)),
          tipos_viatura(std::min<std::int64_t>(l, 10)),
          tipos_equipamento(std::min<std::int64_t>(l, 12)),
          concelhos(std::min<std::int64_t>(escala(l, 200, 5), 308)),
          corporacoes(escala(l, 1000, 2)),
          quarteis(std::max(corporacoes, escala(l, 400, 3))),
          viaturas(linhas_viaturas(l)),
          bombeiros(linhas_bombeiros(l)),
          equipamentos(escala(l, 10, 5)),
          ocorrencias(l),
          servicos(l),
          guarnicoes(l),
          turnos(escala(l, 2, 3)) {}
};

// 1 + a draw in [0, linhas): the key of a row of a table numbered from 1.
std::string uma_de(Sorteio& s, std::int64_t linhas) { return "(1 + " + s.numero(linhas) + ")"; }

Tabela distritos(const Contagens& c) {
    Tabela t{"distritos",      c.distritos, {},
             {"cod_distrito"}, {},          {{"ix_distritos_nome", {"nome"}, true}}};
    t.colunas = {col("cod_distrito", "SMALLINT", kObrigatoria, "i"),
                 col("nome", "TEXT(30)", kObrigatoria, item_da_lista(kDistritos, "i - 1")),
                 col("regiao", "TEXT(20)", kOpcional, item_da_lista(kRegioes, "i - 1"))};
    return t;
}

Tabela categorias(const Contagens& c) {
    Sorteio s;
    Tabela t{"categorias", c.categorias, {}, {"cod_categoria"}, {}, {}};
    t.colunas = {col("cod_categoria", "SMALLINT", kObrigatoria, "i"),
                 col("designacao", "TEXT(40)", kObrigatoria, item_da_lista(kCategorias, "i - 1")),
                 col("nivel", "SMALLINT", kOpcional, "13 - i"),
                 col("vencimento", "DOUBLE", kOpcional, s.real(650, 2500))};
    return t;
}

Tabela tipos_ocorrencia(const Contagens& c) {
    Sorteio s;
    Tabela t{"tipos_ocorrencia", c.tipos_ocorrencia, {}, {"cod_tipo"}, {}, {}};
    t.colunas = {
        col("cod_tipo", "SMALLINT", kObrigatoria, "i"),
        col("descricao", "TEXT(50)", kObrigatoria, item_da_lista(kTiposOcorrencia, "i - 1")),
        col("prioridade", "SMALLINT", kOpcional, s.entre(1, 5)),
        col("exige_relatorio", "BOOLEAN", kOpcional, s.sim_nao(40))};
    return t;
}

Tabela tipos_viatura(const Contagens& c) {
    Sorteio s;
    Tabela t{"tipos_viatura", c.tipos_viatura, {}, {"cod_tipo"}, {}, {}};
    t.colunas = {col("cod_tipo", "TEXT(6)", kObrigatoria, item_da_lista(kCodigosViatura, "i - 1")),
                 col("descricao", "TEXT(60)", kObrigatoria, item_da_lista(kTiposViatura, "i - 1")),
                 col("lotacao", "SMALLINT", kOpcional, s.entre(2, 9))};
    return t;
}

Tabela tipos_equipamento(const Contagens& c) {
    Sorteio s;
    Tabela t{"tipos_equipamento", c.tipos_equipamento, {}, {"cod_tipo"}, {}, {}};
    t.colunas = {
        col("cod_tipo", "SMALLINT", kObrigatoria, "i"),
        col("descricao", "TEXT(40)", kObrigatoria, item_da_lista(kTiposEquipamento, "i - 1")),
        col("vida_util", "SMALLINT", kOpcional, s.entre(2, 15))};
    return t;
}

Tabela concelhos(const Contagens& c) {
    Sorteio s;
    const std::int64_t lugares = static_cast<std::int64_t>(kLugares.size());
    Tabela t{"concelhos", c.concelhos, {}, {"cod_concelho"}, {}, {}};
    // Unique names: the bare places first, then each prefix with every place.
    const std::string lugar = item_da_lista(kLugares, "(i - 1) % " + n(lugares));
    const std::string nome = "CASE WHEN i <= " + n(lugares) + " THEN " + lugar + " ELSE " +
                             item_da_lista(kPrefixosLugar, "(i - 1) / " + n(lugares) + " - 1") +
                             " || ' ' || " + lugar + " END";
    t.colunas = {col("cod_concelho", "INTEGER", kObrigatoria, "i"),
                 col("cod_distrito", "SMALLINT", kObrigatoria, uma_de(s, c.distritos)),
                 col("nome", "TEXT(60)", kObrigatoria, nome),
                 col("populacao", "LONG", kOpcional, s.entre(1500, 550000))};
    t.relacoes = {rel("rel_distritos_concelhos", "distritos", {"cod_distrito"}, {"cod_distrito"})};
    t.indices = {{"ix_concelhos_nome", {"nome"}, true}};
    return t;
}

Tabela corporacoes(const Contagens& c) {
    Sorteio s;
    Tabela t{"corporacoes", c.corporacoes, {}, {"id_corporacao"}, {}, {}};
    // Draws are taken one statement at a time: the order of the operands
    // of one expression is the compiler's, and the rows must not depend on it.
    const std::string tipo = s.escolhe({"Associação Humanitária dos Bombeiros Voluntários de",
                                        "Bombeiros Voluntários de", "Bombeiros Municipais de",
                                        "Companhia de Bombeiros Sapadores de"});
    const std::string nome = tipo + " || ' ' || " + s.escolhe(kLugares);
    const std::string rua = s.escolhe(kRuas);
    const std::string morada = rua + " || ', ' || " + s.entre(1, 300);
    const std::string indicativo = s.entre(10, 99);
    const std::string meio = s.entre(0, 999);
    const std::string telefone =
        "printf('2%02d %03d %03d', " + indicativo + ", " + meio + ", " + s.entre(0, 999) + ")";
    // The seat is the first quartel of the corporation: quartel k belongs to
    // corporation ((k - 1) mod corporacoes) + 1.
    t.colunas = {
        col("id_corporacao", "INTEGER", kObrigatoria, "i"),
        col("cod_concelho", "LONG", kObrigatoria, uma_de(s, c.concelhos)),
        col("nome", "TEXT(100)", kObrigatoria, nome),
        col("nif", "TEXT(9)", kObrigatoria, "printf('5%08d', i)"),
        col("data_fundacao", "DATETIME", kOpcional, s.data(1880, 110)),
        col("morada", "TEXT(200)", kOpcional, morada),
        col("telefone", "TEXT(20)", kOpcional, s.ou_nulo(20, telefone)),
        col("email", "TEXT(80)", kOpcional, s.ou_nulo(40, "'geral' || i || '@bombeiros.pt'")),
        col("id_quartel_sede", "LONG", kOpcional,
            "CASE WHEN i <= " + n(c.quarteis) + " THEN i END"),
        col("activa", "BOOLEAN", kOpcional, s.sim_nao(95))};
    t.relacoes = {
        rel("rel_concelhos_corporacoes", "concelhos", {"cod_concelho"}, {"cod_concelho"})};
    t.indices = {{"ix_corporacoes_nif", {"nif"}, true},
                 {"ix_corporacoes_concelho", {"cod_concelho"}, false}};
    return t;
}

Tabela quarteis(const Contagens& c) {
    Sorteio s;
    Tabela t{"quarteis", c.quarteis, {}, {"id_quartel"}, {}, {}};
    const std::string rua = s.escolhe(kRuas);
    const std::string morada = rua + " || ', ' || " + s.entre(1, 300);
    const std::string zona = s.entre(1000, 9999);
    const std::string cod_postal = "printf('%04d-%03d', " + zona + ", " + s.entre(0, 999) + ")";
    t.colunas = {col("id_quartel", "INTEGER", kObrigatoria, "i"),
                 col("id_corporacao", "LONG", kObrigatoria,
                     "((i - 1) % " + n(std::max<std::int64_t>(1, c.corporacoes)) + ") + 1"),
                 col("nome", "TEXT(80)", kObrigatoria,
                     "CASE WHEN i <= " + n(c.corporacoes) +
                         " THEN 'Quartel sede' ELSE 'Secção destacada n.º ' || i END"),
                 col("morada", "TEXT(200)", kOpcional, morada),
                 col("cod_postal", "TEXT(8)", kOpcional, cod_postal),
                 col("latitude", "DOUBLE", kOpcional, s.real(37.0, 5.0)),
                 col("longitude", "DOUBLE", kOpcional, s.real(-9.5, 3.0)),
                 col("n_camaratas", "TINYINT", kOpcional, s.entre(0, 40))};
    t.relacoes = {
        rel("rel_corporacoes_quarteis", "corporacoes", {"id_corporacao"}, {"id_corporacao"})};
    t.indices = {{"ix_quarteis_corporacao", {"id_corporacao"}, false}};
    return t;
}

Tabela viaturas(const Contagens& c) {
    Sorteio s;
    Tabela t{"viaturas", c.viaturas, {}, {"id_viatura"}, {}, {}};
    // A different plate for every row below 6 760 000.
    const std::string matricula =
        "printf('%02d-%s%s-%02d', (i / 100) % 100, char(65 + (i / 10000) % 26), char(65 + (i / "
        "260000) % 26), i % 100)";
    t.colunas = {col("id_viatura", "INTEGER", kObrigatoria, "i"),
                 col("id_quartel", "LONG", kObrigatoria, uma_de(s, c.quarteis)),
                 col("cod_tipo", "TEXT(6)", kObrigatoria,
                     s.escolhe(std::vector<std::string>(
                         kCodigosViatura.begin(), kCodigosViatura.begin() + c.tipos_viatura))),
                 col("matricula", "TEXT(8)", kObrigatoria, matricula),
                 col("marca", "TEXT(30)", kOpcional, s.escolhe(kMarcas)),
                 col("modelo", "TEXT(40)", kOpcional, s.escolhe(kModelos)),
                 col("ano", "SMALLINT", kOpcional, s.entre(1978, 2005)),
                 col("data_inspeccao", "DATETIME", kOpcional, s.ou_nulo(15, s.data(2000, 6))),
                 col("km", "LONG", kOpcional, s.entre(0, 900000)),
                 col("consumo", "FLOAT", kOpcional, s.real(8, 30)),
                 col("operacional", "BOOLEAN", kOpcional, s.sim_nao(85))};
    t.relacoes = {rel("rel_quarteis_viaturas", "quarteis", {"id_quartel"}, {"id_quartel"}),
                  rel("rel_tipos_viatura_viaturas", "tipos_viatura", {"cod_tipo"}, {"cod_tipo"})};
    t.indices = {{"ix_viaturas_matricula", {"matricula"}, true},
                 {"ix_viaturas_quartel", {"id_quartel"}, false}};
    return t;
}

Tabela bombeiros(const Contagens& c) {
    Sorteio s;
    Tabela t{"bombeiros", c.bombeiros, {}, {"id_bombeiro"}, {}, {}};
    // A superior always has a lower number, so the rows could also be
    // copied in order under a relation of the table to itself.
    const std::string nascimento = s.data(1940, 50);
    const std::string tem_superior = s.numero(3);
    const std::string superior =
        "CASE WHEN i > 1 AND " + tem_superior + " > 0 THEN 1 + " + s.numero("i - 1") + " END";
    const std::string rede = s.entre(1, 6);
    const std::string prefixo = s.entre(0, 9);
    const std::string meio = s.entre(0, 999);
    const std::string telemovel = "printf('9%d%d %03d %03d', " + rede + ", " + prefixo + ", " +
                                  meio + ", " + s.entre(0, 999) + ")";
    t.colunas = {
        col("id_bombeiro", "INTEGER", kObrigatoria, "i"),
        col("id_quartel", "LONG", kObrigatoria, uma_de(s, c.quarteis)),
        col("cod_categoria", "SMALLINT", kObrigatoria, uma_de(s, c.categorias)),
        col("numero_mecanografico", "LONG", kObrigatoria, "100000 + i"),
        col("nome", "TEXT(120)", kObrigatoria, s.nome_pessoa()),
        col("data_nascimento", "DATETIME", kOpcional, nascimento),
        col("data_admissao", "DATETIME", kOpcional,
            "date(" + nascimento + ", '+' || " + s.entre(16 * 365, 45 * 365) + " || ' days')"),
        col("telemovel", "TEXT(15)", kOpcional, s.ou_nulo(20, telemovel)),
        col("email", "TEXT(80)", kOpcional,
            s.ou_nulo(40, "'bombeiro' || i || '@' || " +
                              s.escolhe({"sapo.pt", "gmail.com", "iol.pt", "netcabo.pt"}))),
        col("activo", "BOOLEAN", kOpcional, s.sim_nao(80)),
        col("id_superior", "LONG", kOpcional, superior),
        col("observacoes", "TEXT(200)", kOpcional, s.ou_nulo(60, s.prosa(3, 200)))};
    t.relacoes = {
        rel("rel_quarteis_bombeiros", "quarteis", {"id_quartel"}, {"id_quartel"}),
        rel("rel_categorias_bombeiros", "categorias", {"cod_categoria"}, {"cod_categoria"})};
    t.indices = {{"ix_bombeiros_numero", {"numero_mecanografico"}, true},
                 {"ix_bombeiros_nome", {"nome"}, false},
                 {"ix_bombeiros_quartel", {"id_quartel"}, false}};
    return t;
}

Tabela equipamentos(const Contagens& c) {
    Sorteio s;
    Tabela t{"equipamentos", c.equipamentos, {}, {"id_equipamento"}, {}, {}};
    t.colunas = {
        col("id_equipamento", "INTEGER", kObrigatoria, "i"),
        col("id_viatura", "LONG", kOpcional, s.ou_nulo(25, uma_de(s, c.viaturas))),
        col("cod_tipo", "SMALLINT", kObrigatoria, uma_de(s, c.tipos_equipamento)),
        col("n_serie", "TEXT(30)", kObrigatoria,
            "printf('%s-%07d', " + s.escolhe({"DRG", "MSA", "HLM", "STH", "PHX"}) + ", i)"),
        col("designacao", "TEXT(100)", kOpcional, s.prosa(3, 100)),
        col("data_aquisicao", "DATETIME", kOpcional, s.data(1990, 16)),
        col("valor", "DOUBLE", kOpcional, s.real(10, 25000)),
        col("operacional", "BOOLEAN", kOpcional, s.sim_nao(90))};
    t.relacoes = {
        rel("rel_viaturas_equipamentos", "viaturas", {"id_viatura"}, {"id_viatura"}),
        rel("rel_tipos_equipamento_equipamentos", "tipos_equipamento", {"cod_tipo"}, {"cod_tipo"})};
    t.indices = {{"ix_equipamentos_serie", {"n_serie"}, true},
                 {"ix_equipamentos_viatura", {"id_viatura"}, false}};
    return t;
}

Tabela ocorrencias(const Contagens& c) {
    Sorteio s;
    Tabela t{"ocorrencias", c.ocorrencias, {}, {"id_ocorrencia"}, {}, {}};
    const std::string rua = s.escolhe(kRuas);
    const std::string local = rua + " || ', ' || " + s.escolhe(kLugares);
    const std::string com_vitimas = s.numero(10);
    const std::string vitimas =
        "CASE WHEN " + com_vitimas + " < 7 THEN 0 ELSE " + s.entre(1, 12) + " END";
    t.colunas = {col("id_ocorrencia", "INTEGER", kObrigatoria, "i"),
                 col("id_corporacao", "LONG", kObrigatoria, uma_de(s, c.corporacoes)),
                 col("cod_tipo", "SMALLINT", kObrigatoria, uma_de(s, c.tipos_ocorrencia)),
                 col("cod_concelho", "LONG", kObrigatoria, uma_de(s, c.concelhos)),
                 col("data_hora", "DATETIME", kObrigatoria, s.data_hora(1990, 16)),
                 col("local", "TEXT(150)", kOpcional, local),
                 col("descricao", "TEXT(200)", kObrigatoria, s.prosa(3, 200)),
                 col("n_vitimas", "SMALLINT", kOpcional, vitimas),
                 col("area_ardida", "DOUBLE", kOpcional, s.ou_nulo(70, s.real(0.01, 5000))),
                 col("encerrada", "BOOLEAN", kOpcional, s.sim_nao(97))};
    t.relacoes = {
        rel("rel_corporacoes_ocorrencias", "corporacoes", {"id_corporacao"}, {"id_corporacao"}),
        rel("rel_tipos_ocorrencia_ocorrencias", "tipos_ocorrencia", {"cod_tipo"}, {"cod_tipo"}),
        rel("rel_concelhos_ocorrencias", "concelhos", {"cod_concelho"}, {"cod_concelho"})};
    t.indices = {{"ix_ocorrencias_data", {"data_hora"}, false},
                 {"ix_ocorrencias_corporacao", {"id_corporacao"}, false}};
    return t;
}

// The keys of servicos and guarnicoes come from the row number, so that
// they are distinct without a look at the rows already made: service s
// is occurrence ((s - 1) mod ocorrencias) + 1 with the vehicle that comes
// (s - 1) div ocorrencias places after the occurrence's own first one.
struct ChaveServico {
    std::string ocorrencia, viatura;
};

ChaveServico chave_servico(const Contagens& c, std::int64_t desvio, const std::string& s) {
    const std::string oc = n(std::max<std::int64_t>(1, c.ocorrencias));
    const std::string ocorrencia = "(((" + s + ") - 1) % " + oc + " + 1)";
    const std::string viatura = "(((" + ocorrencia + " * 7919 + " + n(desvio) + " + ((" + s +
                                ") - 1) / " + oc + ") % " +
                                n(std::max<std::int64_t>(1, c.viaturas)) + ") + 1)";
    return {ocorrencia, viatura};
}

Tabela servicos(const Contagens& c, std::int64_t desvio) {
    Sorteio s;
    Tabela t{"servicos", c.servicos, {}, {"id_ocorrencia", "id_viatura"}, {}, {}};
    const ChaveServico k = chave_servico(c, desvio, "i");
    const std::string saida = s.data_hora(1990, 16);
    t.colunas = {
        col("id_ocorrencia", "LONG", kObrigatoria, k.ocorrencia),
        col("id_viatura", "LONG", kObrigatoria, k.viatura),
        col("hora_saida", "DATETIME", kObrigatoria, saida),
        col("hora_chegada", "DATETIME", kOpcional,
            s.ou_nulo(10, "datetime(" + saida + ", '+' || " + s.entre(5, 90) + " || ' minutes')")),
        col("km_percorridos", "SMALLINT", kOpcional, s.entre(1, 250)),
        col("observacoes", "TEXT(200)", kOpcional, s.ou_nulo(70, s.prosa(3, 200)))};
    t.relacoes = {
        rel("rel_ocorrencias_servicos", "ocorrencias", {"id_ocorrencia"}, {"id_ocorrencia"}),
        rel("rel_viaturas_servicos", "viaturas", {"id_viatura"}, {"id_viatura"})};
    t.indices = {{"ix_servicos_viatura", {"id_viatura"}, false}};
    return t;
}

Tabela guarnicoes(const Contagens& c, std::int64_t desvio_servicos, std::int64_t desvio) {
    Sorteio s;
    Tabela t{
        "guarnicoes", c.guarnicoes, {}, {"id_ocorrencia", "id_viatura", "id_bombeiro"}, {}, {}};
    // Row i is crew member (i - 1) div servicos of service ((i - 1) mod servicos) + 1.
    const std::string ns = n(std::max<std::int64_t>(1, c.servicos));
    const std::string servico = "((i - 1) % " + ns + " + 1)";
    const ChaveServico k = chave_servico(c, desvio_servicos, servico);
    const std::string bombeiro = "((" + servico + " * 104729 + " + n(desvio) + " + (i - 1) / " +
                                 ns + ") % " + n(std::max<std::int64_t>(1, c.bombeiros)) + " + 1)";
    t.colunas = {col("id_ocorrencia", "LONG", kObrigatoria, k.ocorrencia),
                 col("id_viatura", "LONG", kObrigatoria, k.viatura),
                 col("id_bombeiro", "LONG", kObrigatoria, bombeiro),
                 col("funcao", "TEXT(30)", kOpcional, s.escolhe(kFuncoes))};
    t.relacoes = {rel("rel_servicos_guarnicoes", "servicos", {"id_ocorrencia", "id_viatura"},
                      {"id_ocorrencia", "id_viatura"}),
                  rel("rel_bombeiros_guarnicoes", "bombeiros", {"id_bombeiro"}, {"id_bombeiro"})};
    t.indices = {{"ix_guarnicoes_bombeiro", {"id_bombeiro"}, false}};
    return t;
}

Tabela turnos(const Contagens& c) {
    Sorteio s;
    Tabela t{"turnos", c.turnos, {}, {"id_turno"}, {}, {}};
    t.colunas = {col("id_turno", "INTEGER", kObrigatoria, "i"),
                 col("id_bombeiro", "LONG", kObrigatoria, uma_de(s, c.bombeiros)),
                 col("id_quartel", "LONG", kObrigatoria, uma_de(s, c.quarteis)),
                 col("inicio", "DATETIME", kObrigatoria, s.data_hora(1995, 11)),
                 col("horas", "SMALLINT", kOpcional, s.entre(4, 24)),
                 col("tipo", "TEXT(1)", kOpcional, item_da_lista({"D", "N"}, s.numero(2)))};
    t.relacoes = {rel("rel_bombeiros_turnos", "bombeiros", {"id_bombeiro"}, {"id_bombeiro"}),
                  rel("rel_quarteis_turnos", "quarteis", {"id_quartel"}, {"id_quartel"})};
    t.indices = {{"ix_turnos_bombeiro_inicio", {"id_bombeiro", "inicio"}, false}};
    return t;
}

}  // namespace

std::int64_t escala(std::int64_t linhas, std::int64_t divisor, std::int64_t minimo) {
    if (linhas <= 0) return 0;
    return std::max(std::min(linhas, minimo), linhas / divisor);
}

Tabela tabela_parametros(const Contexto& c) {
    Tabela t{"parametros", 1, {}, {}, {}, {}};
    t.colunas = {
        col("versao", "TEXT(15)", kOpcional, quote_literal(c.versao)),
        col("descricao", "TEXT(60)", kOpcional, quote_literal("Versão da estrutura de dados"))};
    return t;
}

std::vector<Tabela> tabelas_principal(const Contexto& ctx) {
    const Contagens c(ctx.linhas);
    const std::int64_t desvio_servicos = estado_inicial(ctx.semente, "servicos/chave");
    const std::int64_t desvio_guarnicoes = estado_inicial(ctx.semente, "guarnicoes/chave");
    return {tabela_parametros(ctx),
            distritos(c),
            categorias(c),
            tipos_ocorrencia(c),
            tipos_viatura(c),
            tipos_equipamento(c),
            concelhos(c),
            corporacoes(c),
            quarteis(c),
            viaturas(c),
            bombeiros(c),
            equipamentos(c),
            ocorrencias(c),
            servicos(c, desvio_servicos),
            guarnicoes(c, desvio_servicos, desvio_guarnicoes),
            turnos(c)};
}

}  // namespace pezolva::testproject::detail
