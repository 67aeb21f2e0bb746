// The companions of the main database: the photos (binary data that refers
// to firemen and vehicles by number only, with no relation across files)
// and the log.
#include "testproject/detail/modelo.h"
#include "testproject/detail/sorteio.h"

namespace pezolva::testproject::detail {
namespace {

constexpr bool kObrigatoria = true;
constexpr bool kOpcional = false;

Coluna col(std::string nome, std::string tipo, bool obrigatoria, std::string valor) {
    return {std::move(nome), std::move(tipo), obrigatoria, std::move(valor)};
}

std::string uma_de(Sorteio& s, std::int64_t linhas) { return "(1 + " + s.numero(linhas) + ")"; }

Tabela fotos(const std::string& nome, const std::string& campo, std::int64_t linhas,
             std::int64_t referidas, std::int64_t albuns) {
    Sorteio s;
    Tabela t{nome, linhas, {}, {"id_foto"}, {}, {}};
    t.colunas = {col("id_foto", "INTEGER", kObrigatoria, "i"),
                 col("id_album", "LONG", kOpcional, s.ou_nulo(30, uma_de(s, albuns))),
                 col(campo, "LONG", kObrigatoria, uma_de(s, referidas)),
                 col("data_foto", "DATETIME", kOpcional, s.data_hora(1998, 8)),
                 col("legenda", "TEXT(100)", kOpcional, s.ou_nulo(50, s.prosa(3, 100))),
                 col("largura", "SMALLINT", kOpcional, s.entre(320, 1600)),
                 col("altura", "SMALLINT", kOpcional, s.entre(240, 1200)),
                 col("foto", "BLOB", kOpcional, s.binario(2048, 16384))};
    t.relacoes = {{"rel_albuns_" + nome, "albuns", {"id_album"}, {"id_album"}}};
    t.indices = {{"ix_" + nome + "_" + campo.substr(3), {campo}, false}};
    return t;
}

}  // namespace

std::vector<Tabela> tabelas_fotos(const Contexto& c) {
    const std::int64_t albuns = escala(c.linhas, 1000, 2);
    Sorteio s;
    Tabela a{"albuns", albuns, {}, {"id_album"}, {}, {}};
    a.colunas = {col("id_album", "INTEGER", kObrigatoria, "i"),
                 col("titulo", "TEXT(60)", kObrigatoria, s.prosa(3, 60)),
                 col("data_criacao", "DATETIME", kOpcional, s.data(1998, 8))};
    return {tabela_parametros(c), a,
            fotos("fotos_bombeiros", "id_bombeiro", escala(c.linhas, 200, 3),
                  linhas_bombeiros(c.linhas), albuns),
            fotos("fotos_viaturas", "id_viatura", escala(c.linhas, 1000, 2),
                  linhas_viaturas(c.linhas), albuns)};
}

std::vector<Tabela> tabelas_log(const Contexto& c) {
    const std::int64_t acessos = escala(c.linhas, 10, 3);
    const std::vector<std::string> utilizadores = {"admin",       "ana.silva", "joao.costa",
                                                   "m.conceicao", "operador1", "operador2",
                                                   "tesouraria",  "comando"};
    Sorteio s;
    Tabela a{"acessos", acessos, {}, {"id_acesso"}, {}, {}};
    const std::string entrada = s.data_hora(2000, 6);
    a.colunas = {
        col("id_acesso", "INTEGER", kObrigatoria, "i"),
        col("utilizador", "TEXT(30)", kObrigatoria, s.escolhe(utilizadores)),
        col("posto", "TEXT(40)", kOpcional, "printf('POSTO-%02d', " + s.entre(1, 40) + ")"),
        col("entrada", "DATETIME", kObrigatoria, entrada),
        col("saida", "DATETIME", kOpcional,
            s.ou_nulo(10,
                      "datetime(" + entrada + ", '+' || " + s.entre(1, 600) + " || ' minutes')")),
        col("sucesso", "BOOLEAN", kOpcional, s.sim_nao(92))};
    a.indices = {{"ix_acessos_entrada", {"entrada"}, false}};

    Sorteio r;
    Tabela m{"alteracoes", escala(c.linhas, 4, 5), {}, {"id_alteracao"}, {}, {}};
    m.colunas = {
        col("id_alteracao", "INTEGER", kObrigatoria, "i"),
        col("id_acesso", "LONG", kOpcional, r.ou_nulo(5, uma_de(r, acessos))),
        col("data_hora", "DATETIME", kObrigatoria, r.data_hora(2000, 6)),
        col("tabela", "TEXT(40)", kObrigatoria,
            r.escolhe({"bombeiros", "viaturas", "ocorrencias", "servicos", "guarnicoes", "turnos",
                       "equipamentos", "quarteis"})),
        col("chave", "TEXT(40)", kOpcional, "CAST(" + r.entre(1, 99999) + " AS TEXT)"),
        col("operacao", "TEXT(1)", kObrigatoria, item_da_lista({"I", "A", "E"}, r.numero(3))),
        col("detalhe", "TEXT(200)", kOpcional, r.ou_nulo(40, r.prosa(3, 200)))};
    m.relacoes = {{"rel_acessos_alteracoes", "acessos", {"id_acesso"}, {"id_acesso"}}};
    m.indices = {{"ix_alteracoes_data", {"data_hora"}, false},
                 {"ix_alteracoes_tabela_chave", {"tabela", "chave"}, false}};
    return {tabela_parametros(c), a, m};
}

}  // namespace pezolva::testproject::detail
