#pragma once

// The maintenance component as its hosts see it: one class, `mnt`, whose
// operations each run to their end on the caller's thread before they
// return.  A host that calls an operation that shows a window owns a
// QApplication; without one, messages go to the terminal and questions take
// their default answers; an operation that must show a window (the backup
// window, the choice among several projects) throws erro 3001 instead.
// The operations on the current project throw erro 3001 while no
// actualiza_path has made one current.
//
// Parameters are passed by reference, as the hosts' own variables: an
// operation may change them (`selecciona_projectos` returns its results
// through them).  An operation that meets an error it does not handle
// itself throws `pezolva::erro`.

#include <memory>
#include <stdexcept>
#include <string>

#include "pezolva/pezolva_export.h"

namespace pezolva {

// An error that an operation passes back to its host: a number and a
// Portuguese description (also what()).
class PEZOLVA_EXPORT erro : public std::runtime_error {
  public:
    erro(int numero, const std::string& descricao)
        : std::runtime_error(descricao), numero_(numero) {}
    int numero() const { return numero_; }

  private:
    int numero_;
};

class PEZOLVA_EXPORT mnt {
  public:
    mnt();
    ~mnt();
    mnt(const mnt&) = delete;
    mnt& operator=(const mnt&) = delete;

    // Makes the given project the current one of the component (shared by
    // every mnt object), records it in the workstation's settings and checks
    // its backup register.  True unless the password does not open the main
    // database (the engine's message is shown; nothing is repaired), or it
    // exists but cannot be opened, or is out of step with its structure.
    // True also when the main database does not exist, after saying so.
    // The password is kept in memory only.  A project name that the
    // settings cannot keep (empty, blanks at its ends, ";", "[", "]", a line
    // break) throws erro 3001 before anything changes; settings that exist
    // but cannot be read throw erro and are left as they are.
    bool actualiza_path(std::string& caminho, std::string& projecto, std::string& nome_bd,
                        std::string& descr, std::string& passwd, bool& vem_de_pezolva);

    // Checks, creates or migrates the backup register (the table BUPS) of
    // the current project's main database, and points every registered
    // database's copies at the project's "copiaseg" folder.
    void valida_bups_bd();

    // Clears the read-only attribute of the file `nfich`; true when it was
    // set.  A missing file is reported to the user and gives false.
    bool era_readonly(std::string& nfich);

    // Verifies every database of the register against its structure
    // database in the compact window (a banner; it closes by itself), or,
    // when the host owns no QApplication, with the banner and the
    // differences on the standard error.  True when no difference and no
    // failure was reported.
    bool integr_sem_fo();

    // The verification window in full: the user starts, stops and reads
    // the verification.  True exactly when a run took place in it, reached
    // the end of the register and found nothing.
    bool integr_com_fo();
    // Compacts the current project's main database, then every other
    // database of its register, each keeping its old file under a dated
    // name.  True only when every compaction succeeded.
    bool faz_jetcomp_a_tudo();

    // Compacts the database `nomebd` in the folder `caminhobd` with the
    // compaction tool (found there, in its "jetcomp4" subfolder, or beside
    // the launcher), asking first when `bloqueado`.  True when the compacted
    // copy is in place and the old file kept as "<name less 4 characters>
    // yyyymmddhhnn.mdb"; on any failure the database stays as it was and
    // the user is told.  A database open in another program is not
    // compacted.
    bool faz_jet_comp(std::string& caminhobd, std::string& nomebd, std::string& passwd,
                      bool& bloqueado);

    // Runs the set-up program "setupposto/setup" of the current project's
    // folder and waits, in a small window, until its window has come and
    // gone or it has ended.  False, after a message, when it is not there.
    bool reinstala_posto();

    // When this workstation makes copies for the project and a registered
    // database with its reminder set is due, asks whether to make copies
    // now ("Fazer": the compact backup window runs them), not now, or to
    // open the backup configuration.
    void ver_existen_ficheiros_a_copiar();

    // The backup window in its compact form: the due databases are ticked
    // and copied at once.  True when the run ended without errors.
    bool copia_segur_sem_fo();

    // The backup window in full: the register to edit and the copies to
    // start.  True when a run took place and its last one ended without
    // errors.
    bool copia_segur_com_fo();

    // The restore window: the backup copies of the current project's
    // databases found in the project folder, the register's destinations
    // and folders the user adds; "Repor" replaces a database by the copy
    // selected, after the user confirms.  Returns when the window closes.
    // Works when the main database is damaged or missing: its copies are
    // then looked for in the project's "copiaseg" folder.
    void repor_copias_segur();

    // Lists the projects registered on this workstation and lets the user
    // choose one when there are several.  True with the chosen project in
    // the four texts and `ha_mais` True; False when none is registered or
    // the user cancels.  Does not make the project current: pass the
    // values, with the password, to `actualiza_path`.
    bool selecciona_projectos(std::string& nome_proj, std::string& descr, std::string& caminho,
                              std::string& nome_bd, bool& ha_mais);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pezolva
