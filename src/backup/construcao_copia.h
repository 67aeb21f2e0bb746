#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/logs_execucao.h"
#include "backup/progresso.h"
#include "backup/tempos_etapas.h"
#include "common/file_system.h"
#include "engine/database.h"
#include "engine/file_sync.h"
#include "engine/temporary_files.h"

namespace pezolva::backup {

// What one copy is made of and where it goes.
struct PlanoCopia {
    std::string caminho_bd;      // the live database
    std::string ficheiro_bd;     // its file name, for the progress display
    std::string caminho_est;     // its structure database
    std::string caminho_copia;   // the copy's final path
    std::string ligacao;         // ";pwd=..." of the live database, also the copy's
    unsigned permissoes = 0600;  // the live database's permission bits, the copy's too
    std::uint64_t token = 0;     // makes the temporary names of this run unique
};

// Builds one backup copy in hidden temporary files of the destination
// folder and, only when it is complete and checked, gives it its name.
//
//  1. copies the structure database to a temporary file (private to its
//     owner until it is named);
//  2. takes a snapshot of the live database (a raw copy read under its
//     shared lock, so that other users wait only for that copy), unless it
//     is in WAL mode, where it is read in place;
//  3. opens the copy, compares versions, orders the tables by their
//     relations (a cycle stops the run); then
//     - when the snapshot defines exactly what the structure does, has no
//       free page and no row of it breaks a rule of the copy (all found
//       in one reading of every table, beside SQLite's quick check of the
//       snapshot), the snapshot itself is the copy: the rows a fill would
//       move into the same definitions are already in place, packed as
//       the live database keeps them;
//     - otherwise it empties the copy's tables, then fills them from the
//       snapshot, comparing each definition first;
//  4. after a fill, compacts into a second temporary file unless the fill
//     left nothing to compact, and checks it: it opens with the password,
//     passes SQLite's quick check and each table holds the rows put into
//     it;
//  5. gives it the live database's permission bits and its name, replacing
//     a copy of the same minute in one step.
//
// A table whose rows break rules of the structure, or that the live
// database lacks, gets its line in the error log and the copy goes on, as
// a copy with refused rows is still the best copy to be had.  Any other
// failure (a full disk, a read or write error, damage, an interruption)
// means the copy would be incomplete: it is not named, and the error log
// says which step or table failed and why, naming the copy by its final
// name.  Every temporary file goes when the object goes.
class ConstrucaoCopia {
  public:
    ConstrucaoCopia(FileSystem& files, const PlanoCopia& plano, LogsExecucao& log,
                    Progresso& progresso, TemposEtapas& tempos);

    // Builds and names the copy from the open live database `viva` (which
    // it closes).  Adds to `total_registos` the rows of each table read.
    // True when the copy carries its name; false when it failed, and
    // the error log says why.
    bool constroi(engine::Database& viva, std::int64_t& total_registos);

  private:
    struct Tabela {
        std::string nome;
        int campos = 0;
        std::int64_t linhas = 0;  // the rows the copy received
    };

    std::string temporario(int n) const;
    void cria_a_partir_da_estrutura(const std::string& em_construcao);
    engine::Database origem(engine::Database& viva);
    std::optional<std::vector<Tabela>> ordena(engine::Database& copia);
    void esvazia(engine::Database& copia, const std::vector<Tabela>& tabelas);
    // The snapshot named as the copy, when it can stand for it (see 3):
    // true when named, false when it failed its check (the error log says
    // why), nullopt when the rows must be copied instead.
    std::optional<bool> nomeia_o_instantaneo(engine::Database& fonte, engine::Database& copia,
                                             const std::string& em_construcao,
                                             std::int64_t& total_registos);
    bool enche(engine::Database& fonte, const std::string& em_construcao,
               std::vector<Tabela>& tabelas, std::int64_t& total_registos);
    // Steps 2 to 5 on the open copy; throws what they meet.
    bool enche_verifica_e_nomeia(engine::Database& viva, engine::Database& copia,
                                 const std::string& em_construcao, engine::FileSync& sincronizacao,
                                 std::int64_t& total_registos);
    std::string compacta(const std::string& em_construcao, bool ja_compacta);
    void nomeia(const std::string& pronta);
    void verifica_interrupcao() const;
    void etapa(const std::string& nome);
    // The error's text with every temporary name replaced by the name the
    // user knows.
    std::string para_o_utilizador(const std::string& descricao) const;
    void regista_falha(const std::string& onde, int numero_erro, bool disco_cheio,
                       const std::string& descricao);

    FileSystem& files_;
    const PlanoCopia& plano_;
    LogsExecucao& log_;
    Progresso& progresso_;
    TemposEtapas& tempos_;
    std::string pasta_copia_;
    std::string instantaneo_;  // the snapshot of the live database, when taken
    int maximo_barra_ = 0;     // the bar's end, as the run set it for this database
    // Opened before any connection to the snapshot, so that it outlives them.
    std::optional<engine::FileSync> sincronizacao_instantaneo_;
    engine::TemporaryFiles temporarios_;
};

}  // namespace pezolva::backup
