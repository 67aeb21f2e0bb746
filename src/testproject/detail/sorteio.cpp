#include "testproject/detail/sorteio.h"

#include <algorithm>

#include "common/text.h"
#include "engine/quoting.h"

namespace pezolva::testproject::detail {
namespace {

// Prose for the free-text columns: accented, with words of every length
// and no run of more than one blank, so a piece that starts after a blank
// starts at a word.
constexpr const char* kProsa =
    "O quartel acordou cedo com o toque da sirene. A equipa de piquete saiu em menos de dois "
    "minutos "
    "para um incêndio numa habitação devoluta junto à estação de caminhos de ferro, onde o fumo "
    "negro "
    "já se via do largo da igreja. O chefe de equipa pediu reforço de uma viatura de combate e de "
    "uma "
    "ambulância de socorro, porque havia notícia de um idoso que vivia sozinho no rés-do-chão. Os "
    "bombeiros entraram com aparelhos respiratórios, retiraram o homem consciente mas com "
    "queimaduras "
    "ligeiras nas mãos, e deram o incêndio por dominado às nove e um quarto. Durante a tarde houve "
    "ainda uma queda de árvore na estrada municipal, uma inundação numa cave da rua da Conceição, "
    "a abertura de uma porta a pedido da Guarda e o transporte de uma grávida para a maternidade "
    "de "
    "Coimbra. À noite, no bar da associação, o comandante lembrou a época de incêndios florestais "
    "de "
    "há vinte anos, quando a corporação esteve dezanove dias seguidos na serra, sem folgas, com "
    "refeições trazidas pelas senhoras da paróquia e água fresca dos poços das quintas. Falou dos "
    "camaradas que já partiram, do velho autotanque de mil novecentos e setenta e oito que ainda "
    "funciona nos dias de festa, e da necessidade de renovar o equipamento de protecção individual "
    "antes do próximo verão. O tesoureiro apresentou as contas do trimestre: os donativos dos "
    "sócios "
    "cobriram o combustível, mas a manutenção das ambulâncias e os seguros obrigatórios continuam "
    "a "
    "pesar no orçamento. Decidiu-se organizar um almoço convívio em Maio, uma rifa no São Martinho "
    "e "
    "uma campanha de angariação de novos sócios nas escolas do concelho. Os cadetes mais novos "
    "ofereceram-se para pintar o portão e para limpar a arrecadação das mangueiras. Antes de "
    "fechar "
    "a sessão, o presidente da direcção agradeceu a dedicação de todos, voluntários e "
    "assalariados, "
    "e recordou que a missão dos bombeiros é servir a população sem olhar a horas, a distâncias ou "
    "a feitios. Lá fora chovia miudinho sobre o alcatrão e ouvia-se ao longe o comboio regional "
    "das "
    "onze e meia. Na central, a operadora de serviço registava mais uma chamada: um alarme de "
    "incêndio disparado por engano numa fábrica de cortiça da zona industrial. Amanhã haverá "
    "instrução de manobras às oito, simulacro de acidente rodoviário com encarceramento às dez, "
    "revisão das viaturas ao meio-dia e reunião com a protecção civil municipal ao fim da tarde, "
    "para acertar o dispositivo de vigilância das matas, dos parques de merendas e das praias "
    "fluviais durante os meses de calor.";

std::uint64_t mistura(std::uint64_t z) {
    // splitmix64's finaliser: every input bit reaches every output bit.
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The constant of draw `k` of a row, in [2, kModulo - 1]: below 2^31, so
// x * constant stays below 2^62.
std::int64_t multiplicador(std::size_t k) {
    return 2 + static_cast<std::int64_t>(mistura(0x5eed0000ULL + k) %
                                         static_cast<std::uint64_t>(kModulo - 2));
}

std::string n(std::int64_t v) { return std::to_string(v); }

// Joins texts; plain `"a" + std::string + ...` chains trip a false
// -Wrestrict of GCC 12 once inlined.
template <class... Partes>
std::string cat(const Partes&... partes) {
    std::string s;
    (s.append(partes), ...);
    return s;
}

// Seconds from 1970-01-01 to 1 January of `ano` (proleptic Gregorian).
std::int64_t segundos_ate(int ano) {
    std::int64_t dias = 0;
    for (int a = 1970; a < ano; ++a)
        dias += ((a % 4 == 0 && a % 100 != 0) || a % 400 == 0) ? 366 : 365;
    return dias * 86400;
}

constexpr std::size_t kMaiorPulo = 30;  // a word of the prose is never longer

}  // namespace

std::int64_t estado_inicial(std::uint64_t semente, const std::string& tabela) {
    std::uint64_t h = 1469598103934665603ULL;  // FNV-1a of the name
    for (unsigned char c : tabela) h = (h ^ c) * 1099511628211ULL;
    return 1 + static_cast<std::int64_t>(mistura(mistura(semente) ^ h) %
                                         static_cast<std::uint64_t>(kModulo - 1));
}

std::string Sorteio::valor() {
    return cat("((x * ", n(multiplicador(proximo_++)), ") % ", n(kModulo), ")");
}

std::string Sorteio::numero(std::int64_t limite) {
    if (limite <= 1) {
        ++proximo_;  // the draw is spent all the same: later columns keep their values
        return "0";
    }
    return cat("(", valor(), " % ", n(limite), ")");
}

std::string Sorteio::numero(const std::string& limite) {
    return cat("(", valor(), " % (", limite, "))");
}

std::string Sorteio::entre(std::int64_t minimo, std::int64_t maximo) {
    return cat("(", n(minimo), " + ", numero(maximo - minimo + 1), ")");
}

std::string Sorteio::sim_nao(int percentagem) {
    return cat("(", numero(100), " < ", n(percentagem), ")");
}

std::string Sorteio::ou_nulo(int percentagem, const std::string& expressao) {
    return cat("CASE WHEN ", numero(100), " < ", n(percentagem), " THEN NULL ELSE ", expressao,
               " END");
}

std::string Sorteio::real(double minimo, double amplitude) {
    // Whole hundredths in the SQL text: a decimal point written by the C
    // library would follow the locale.
    const auto base = static_cast<std::int64_t>(minimo * 100);
    const auto passos = static_cast<std::int64_t>(amplitude * 100);
    return cat("((", n(base), " + ", numero(passos), ") / 100.0)");
}

std::string Sorteio::data_hora(int ano, int anos) {
    const std::int64_t minutos = (segundos_ate(ano + anos) - segundos_ate(ano)) / 60;
    return cat("datetime(", n(segundos_ate(ano)), " + 60 * ", numero(minutos), ", 'unixepoch')");
}

std::string Sorteio::data(int ano, int anos) {
    const std::int64_t dias = (segundos_ate(ano + anos) - segundos_ate(ano)) / 86400;
    return cat("date(", n(segundos_ate(ano)), " + 86400 * ", numero(dias), ", 'unixepoch')");
}

std::string Sorteio::escolhe(const std::vector<std::string>& itens) {
    return item_da_lista(itens, numero(static_cast<std::int64_t>(itens.size())));
}

std::string Sorteio::prosa(int minimo, int maximo) {
    static const std::string texto = engine::quote_literal(kProsa);
    static const auto caracteres = static_cast<std::int64_t>(char_count(kProsa));
    // A start anywhere, moved on to just after the next blank; the piece is
    // one character longer than asked, for the blank rtrim may take off.
    const std::string inicio = cat("(1 + ", numero(caracteres - maximo - 2 * kMaiorPulo), ")");
    const std::string depois_do_branco =
        cat(inicio, " + instr(substr(", texto, ", ", inicio, ", ", n(kMaiorPulo), "), ' ')");
    return cat("rtrim(substr(", texto, ", ", depois_do_branco, ", ", entre(minimo + 1, maximo),
               "))");
}

std::string Sorteio::nome_pessoa() {
    static const std::vector<std::string> proprios = {
        "João",    "Maria",     "José",     "Ana",    "António", "Conceição", "Manuel",
        "Inês",    "Francisco", "Beatriz",  "Luís",   "Leonor",  "Gonçalo",   "Matilde",
        "Tomás",   "Margarida", "Rui",      "Sónia",  "Sérgio",  "Fátima",    "Joaquim",
        "Graça",   "Vítor",     "Lúcia",    "André",  "Rosário", "Nuno",      "Irene",
        "Hélder",  "Célia",     "Fernando", "Teresa", "Duarte",  "Mónica",    "Simão",
        "Bárbara", "Jorge",     "Cláudia",  "Paulo",  "Raquel"};
    static const std::vector<std::string> apelidos = {
        "Silva",     "Santos",    "Ferreira", "Pereira",   "Oliveira",  "Costa",    "Rodrigues",
        "Martins",   "Jesus",     "Sousa",    "Fernandes", "Gonçalves", "Gomes",    "Lopes",
        "Marques",   "Alves",     "Almeida",  "Ribeiro",   "Pinto",     "Carvalho", "Teixeira",
        "Moreira",   "Correia",   "Mendes",   "Nunes",     "Soares",    "Vieira",   "Monteiro",
        "Cardoso",   "Rocha",     "Raposo",   "Simões",    "Magalhães", "Brandão",  "Falcão",
        "Guimarães", "Conceição", "Loureiro", "Assunção",  "Estêvão",   "Calado",   "Damião",
        "Baptista",  "Leitão",    "Tavares",  "Araújo",    "Valente",   "Fonseca",  "Quintela",
        "Sequeira"};
    const std::string primeiro = escolhe(proprios);
    const std::string segundo =
        cat("CASE WHEN ", numero(3), " = 0 THEN ' ' || ", escolhe(proprios), " ELSE '' END");
    const std::string apelido = escolhe(apelidos);
    return cat(primeiro, " || ", segundo, " || ' ' || ", apelido, " || ' ' || ", escolhe(apelidos));
}

std::string Sorteio::binario(int minimo, int maximo) {
    // 16 bytes of the row's own draws repeated, after a header with the
    // row number: no two rows alike, and no per-row work in C++.
    const std::string vezes = entre(std::max(1, minimo / 16), std::max(1, maximo / 16));
    const std::string alto = valor();
    return cat("CAST(printf('JFIF%08x', i) || replace(printf('%.*c', ", vezes,
               ", 'x'), 'x', printf('%08x%08x', ", alto, ", ", valor(), ")) AS BLOB)");
}

std::string item_da_lista(const std::vector<std::string>& itens, const std::string& indice) {
    std::size_t largura = 1;
    for (const std::string& item : itens) largura = std::max(largura, char_count(item));
    std::string lista;
    for (const std::string& item : itens)
        lista += item + std::string(largura - char_count(item), ' ');
    const std::string w = n(static_cast<std::int64_t>(largura));
    return cat("rtrim(substr(", engine::quote_literal(lista), ", 1 + ", w, " * (", indice, "), ", w,
               "))");
}

}  // namespace pezolva::testproject::detail
