#pragma once

#include "integrity/estado_verificacao.h"
#include "integrity/lado.h"
#include "integrity/relatorio.h"

namespace pezolva::integrity {

// The comparison of one database with its structure, object by object:
// version, tables, fields (size, then type), indexes and relations, names
// matched without regard to case.  Every difference goes to the report as
// one line; the objects visited are counted in the state.  Nothing is
// written to either file.
//
// Each pass runs in both directions, so a table that exists only in the
// database is never reported, one that exists only in the structure is;
// a field, index or relation on one side only is reported whichever side
// has it; a size or type difference is reported from each side, with the
// values swapped.
//
// An error of the engine never passes in silence: it is reported as
// "número - descrição" and ends the zone it arose in (a tables pass with
// its indexes passes, one table's fields pass, the rest of the pair for the
// version and relations), the comparison going on after that zone.
class Comparacao {
  public:
    Comparacao(EstadoVerificacao& estado, Relatorio& relatorio)
        : estado_(estado), relatorio_(relatorio) {}

    // Side A the database, side B its structure.
    void compara_bases(Lado& a, Lado& b);

    // The tables of `x` against `y`; the tables of `x` that `y` lacks are
    // reported only with `assinala_falta`.
    void compara_tabelas(Lado& x, Lado& y, bool assinala_falta);
    void compara_campos(Lado& x, const TabelaLida& tx, Lado& y, const TabelaLida& ty);
    void compara_indices(Lado& x, const TabelaLida& tx, Lado& y, const TabelaLida& ty);
    void compara_relacoes(Lado& x, Lado& y);

  private:
    void regista_falha(int numero, const std::string& descricao);
    void regista(Diferenca d, const Lado& x, const Lado& y);
    // Increments the counters of one object visited.
    void visita(std::int64_t& contador);

    EstadoVerificacao& estado_;
    Relatorio& relatorio_;
    const Lado* a_ = nullptr;  // the pair being compared
    const Lado* b_ = nullptr;
};

// "número - descrição", as the run writes an error it did not expect.
std::string linha_de_erro(int numero, const std::string& descricao);

}  // namespace pezolva::integrity
