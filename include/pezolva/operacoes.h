#pragma once

// The component's operations for hosts that run unattended (a terminal, a
// timer): the same rules as the class mnt, with plain results in place of
// windows.  Each runs to its end on the caller's thread.  They share the
// component's state with mnt: the project that arranca_projecto (or
// mnt::actualiza_path) made current is the one the others work on.
//
// Messages the component has for the user (a database that does not exist,
// a register repaired) go where mnt's go: to windows when the host owns a
// QApplication, to the standard error otherwise.  An error the operation
// does not handle itself throws pezolva::erro; the operations on the
// current project throw erro 3001 while none is current.  A password given
// here is kept in memory only, never written anywhere.

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pezolva/mnt.h"
#include "pezolva/pezolva_export.h"

namespace pezolva::operacoes {

// A project registered on this workstation.
struct Projecto {
    std::string nome;  // the name its host gave it
    std::string descr;
    std::string caminho;  // its folder
    std::string nome_bd;  // file name of its main database, inside `caminho`
};

// The projects registered on this workstation, in their order; empty when
// there is none.  Changes nothing.  Throws erro when the settings exist but
// cannot be read.
PEZOLVA_EXPORT std::vector<Projecto> lista_projectos();

// The registered project whose name is `nome`, compared without regard to
// case (the last one, should the settings hold two); nullopt when none is.
PEZOLVA_EXPORT std::optional<Projecto> procura_projecto(const std::string& nome);

// False only when the main database of `projecto` exists and refuses
// `passwd`.  A database that will not open for another reason (missing,
// damaged) gives true: the start then says what is wrong.  Changes nothing.
PEZOLVA_EXPORT bool palavra_passe_abre(const Projecto& projecto, const std::string& passwd);

// How a start ended.
enum class Arranque {
    Pronto,            // the project is current and its main database opens
    Recusado,          // actualiza_path gave false (wrong password, damaged or
                       // out of step with its structure): nothing was repaired
    SemBasePrincipal,  // the project is current but its main database does not exist
    NaoAbre,           // the main database exists but does not open
};

// What a host's start does (mnt::actualiza_path: the project made current,
// recorded in the settings, its register checked), and whether that left a
// project to work on.  The user has been told what is wrong whenever the
// result is not Pronto (NaoAbre as "número - descrição", title "Erro").
// Throws erro 3001 for a name the settings cannot keep, and erro for
// settings that cannot be read or written; both before anything changes.
PEZOLVA_EXPORT Arranque arranca_projecto(const Projecto& projecto, const std::string& passwd,
                                         bool vem_de_pezolva);

// The start-up reminder of the current project, decided without asking.
struct Lembrete {
    // This workstation makes copies and a due database has its reminder set.
    bool perguntar = false;
    // The question (set whatever `perguntar` is): its title, text and the
    // captions of its answers, in the order of Resposta, without accelerators.
    std::string titulo;
    std::string texto;
    std::vector<std::string> respostas;
    // When `perguntar`: the databases a "Fazer" copies, in register order.
    std::vector<std::string> devidas;
};

// The answers of the reminder, as indexes of Lembrete::respostas.
enum Resposta : int { kFazer = 0, kNaoFazer = 1, kConfigurar = 2 };

// The reminder's decision for the current project now, as
// mnt::ver_existen_ficheiros_a_copiar takes it.  Reads the register and
// changes nothing.
PEZOLVA_EXPORT Lembrete lembrete();

// One row of the current project's backup register, as text ("" for an
// empty field).
struct BaseRegistada {
    std::string nome_bd;
    std::string dias_intervalo;   // days between copies
    std::string copias_a_manter;  // copies kept
    std::string estrutura;        // the structure database of its last copy
    std::string destino;          // folder of its copies
    bool devida = false;          // its copy is due now
    std::string ultima;           // when its last copy was made ("dd-mm-yyyy hh:nn:ss"), "" never
};

// The current project's register, in its order.  Changes nothing.
PEZOLVA_EXPORT std::vector<BaseRegistada> registo_copias();

// Where a backup run shows how far it is; any of them may be left empty.
struct Progresso {
    // The database and the stage (or table) now under way.
    std::function<void(const std::string& base, const std::string& etapa)> mostra;
    // The bar's range and value.
    std::function<void(int minimo, int maximo, int valor)> barra;
    // The bar one step on.
    std::function<void()> avanca;
};

// How a backup run ended.
enum class FimCopias {
    NadaSeleccionado,  // no database was named (the user was told)
    NenhumaIniciada,   // no named database has a register row
    Concluida,         // the error log is empty
    ComErros,          // some error was logged
    Interrompida,      // a signal stopped it: see ResultadoCopias::sinal
};

struct ResultadoCopias {
    FimCopias fim = FimCopias::NadaSeleccionado;
    // The run's two logs, lines separated by "\n" with nothing after the
    // last: every message and error, and the errors alone.
    std::string mensagens;
    std::string erros;
    // When Interrompida: the signal (SIGINT, SIGTERM or SIGHUP) that stopped
    // the run; the component has no stop request left standing, so later
    // operations work.  A terminal program then ends as that signal asks
    // (status 128 + sinal).
    int sinal = 0;
};

// Makes one copy of each named database of the current project, in order,
// as the backup window does: the failure of one is logged and the run goes
// on with the next, a name without a register row included.  For the
// length of the run SIGINT, SIGTERM and SIGHUP stop the copy in progress,
// its temporary files are removed and the host's own handlers are back
// when this returns.  A database's earlier copies are touched only once its
// new copy is complete.
PEZOLVA_EXPORT ResultadoCopias copia_bases(const std::vector<std::string>& nomes,
                                           const Progresso& progresso = {});

// Shows `e` as the component shows an error nothing else handled:
// "número - descrição", critical, title "Erro" (a pezolva::erro with its
// number; any other error with 3000 and its text).
PEZOLVA_EXPORT void mostra_erro(const std::exception& e);

}  // namespace pezolva::operacoes
