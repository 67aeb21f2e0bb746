#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "engine/database.h"
#include "integrity/estado_verificacao.h"
#include "integrity/relatorio.h"
#include "project/projecto.h"

namespace pezolva::integrity {

// The columns of one register row that the verification reads.
struct LinhaRegisto {
    Value nome_bd;    // BUP_NOME_BD
    Value estrutura;  // BUP_ULT_NOME_ESTRUTURA
    Value passwd;     // BUP_PASSWD
};

// The rows of BUPS in register order.  Throws engine::EngineError when the
// table cannot be read.
std::vector<LinhaRegisto> le_registo(engine::Database& principal);

// The two files of a row.  A name without a folder is in the project folder
// (the database) or beside its database (the structure).
struct FicheirosLinha {
    std::string base;
    std::string estrutura;
    std::string nome_base;       // the file names alone: empty ones make
    std::string nome_estrutura;  // the row unusable
    std::string ligacao;         // the row's connect text (ligacao_da_linha), for both files
};

// Locates the files of `linha`, a Null name read as empty text.
FicheirosLinha localiza(const LinhaRegisto& linha, const std::string& caminho_projecto);

// How a run ended.
enum class FimVerificacao {
    Concluida,     // every row of the register was compared
    Interrompida,  // stopped on request before the end
    Falhou,        // a failure of the run stopped it (the errors say which)
};

// The verification of every database of a project's register against its
// structure database, one row after the other, as the window runs it and
// as the unattended operation does.  Both files of a row are opened
// read-only: the verification never writes.  State and report belong to
// the caller, who shows them.
class Verificacao {
  public:
    Verificacao(std::string caminho_projecto, EstadoVerificacao& estado, Relatorio& relatorio)
        : caminho_(std::move(caminho_projecto)), estado_(estado), relatorio_(relatorio) {}

    // The register's rows, or nullopt, with the line "Não foi encontrada a
    // tabela BUPS na base de dados principal.", when the table is missing
    // or empty.
    std::optional<std::vector<LinhaRegisto>> carrega_bups(engine::Database& principal);

    // The count pass: the totals that the progress display runs up to.  A
    // file that cannot be opened is reported ("O ficheiro ... não foi
    // encontrado. ...") and its row adds nothing more.
    void conta_objectos(const std::vector<LinhaRegisto>& linhas);

    // The run: both logs emptied, then every row of the register of
    // `principal` compared until the end, a failure of the run, or the
    // flag a_verificar cleared; the log ends with "Concluido." and the
    // visited counters come back to zero.  Does nothing (and gives
    // Interrompida) while a run is already in progress.  With
    // `mantem_contagem` the lines of a count pass made just before stay
    // ahead of the run's, where no window keeps them in view.
    FimVerificacao executa(engine::Database& principal, bool mantem_contagem = false);

  private:
    FimVerificacao percorre(engine::Database& principal);
    // False when the run must end at this row (reported).
    bool verifica_linha(const LinhaRegisto& linha);

    std::string caminho_;
    EstadoVerificacao& estado_;
    Relatorio& relatorio_;
};

}  // namespace pezolva::integrity

namespace pezolva::integrity {

// The run on a project without a window, as the window makes it: its main
// database opened read-only, the register loaded (a missing or empty one
// is the line of carrega_bups, and no run), the count pass, then
// Verificacao::executa.  A main database that cannot be opened is a
// failure of the run ("número - descrição").
FimVerificacao verifica_projecto(const ProjectoActual& projecto, EstadoVerificacao& estado,
                                 Relatorio& relatorio);

}  // namespace pezolva::integrity
