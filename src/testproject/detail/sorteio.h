#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pezolva::testproject::detail {

// The largest prime below 2^31: the modulus of the row generator.
inline constexpr std::int64_t kModulo = 2147483647;
// The Lehmer multiplier that takes one row's state to the next.
inline constexpr std::int64_t kMultiplicador = 48271;

// The first state of a table's generator, in [1, kModulo - 1]: a mix of the
// project's seed and the table's name, so that every table draws its own
// numbers and the same seed always gives the same rows.
std::int64_t estado_inicial(std::uint64_t semente, const std::string& tabela);

// SQL expressions of pseudo-random values for the row being generated.
// The rows come from a recursive CTE "n(i, x)": i counts 1, 2, ... and x is
// a Lehmer generator (x' = x * 48271 mod 2^31-1), computed once per row.
// Each draw multiplies x by a constant of its own, so the values of one row
// look independent of each other; every operand stays below 2^62 and SQLite
// never leaves 64-bit integer arithmetic.  A Sorteio hands out a new
// constant for each draw, so the order of the calls decides the values.
class Sorteio {
  public:
    // A whole number in [0, n), n >= 1.
    std::string numero(std::int64_t n);
    // A whole number in [0, limite) for an SQL expression `limite` >= 1.
    std::string numero(const std::string& limite);
    // A whole number in [minimo, maximo].
    std::string entre(std::int64_t minimo, std::int64_t maximo);
    // 1 for about `percentagem` rows in 100, else 0.
    std::string sim_nao(int percentagem);
    // NULL for about `percentagem` rows in 100, else `expressao`.
    std::string ou_nulo(int percentagem, const std::string& expressao);
    // A real number in [minimo, minimo + amplitude), with two decimals.
    std::string real(double minimo, double amplitude);
    // "yyyy-mm-dd hh:nn:00" between 1 January of `ano` and `anos` years after.
    std::string data_hora(int ano, int anos);
    // "yyyy-mm-dd" in the same range.
    std::string data(int ano, int anos);
    // One item of the list.
    std::string escolhe(const std::vector<std::string>& itens);
    // A piece of Portuguese prose of `minimo` to `maximo` characters
    // (minimo >= 3, maximo <= 200), starting at a word.
    std::string prosa(int minimo, int maximo);
    // A person's name: one or two first names and two surnames.
    std::string nome_pessoa();
    // Binary data of `minimo` to `maximo` bytes, different in every row.
    std::string binario(int minimo, int maximo);

  private:
    std::string valor();  // the next raw draw, in [1, kModulo - 1]
    std::size_t proximo_ = 0;
};

// `itens` as one SQL text literal of fixed-width slots and the expression
// that takes item `indice` (0-based SQL expression) out of it.
std::string item_da_lista(const std::vector<std::string>& itens, const std::string& indice);

}  // namespace pezolva::testproject::detail
