#pragma once

// Off-site copies of the current project: a restic repository that every
// named copy also goes to, encrypted and deduplicated, from which a copy
// can be restored as one on disk.  The repository's place lives in the
// project folder ("pezolva_offsite.ini"), so every user's backup sends its
// copies there.  Its password is only ever read from a file whose path is
// handed to restic (RESTIC_PASSWORD_FILE); it is never on a command line,
// in the settings or in a log.  A failure of the repository throws erro
// 3100 with a Portuguese explanation (restic missing, a wrong password, no
// repository there, one that cannot be reached, a full disk).  All throw
// erro 3001 while no project is current.

#include <optional>
#include <string>
#include <vector>

#include "pezolva/pezolva_export.h"

namespace pezolva::operacoes {

inline constexpr int kErroRepositorio = 3100;

struct RepositorioFora {
    std::string repositorio;         // as restic takes it: a path, "sftp:…", "rest:…", "s3:…"
    std::string ficheiro_password;   // the absolute path of the file holding its password
    std::string comando_sftp;        // the ssh command for "sftp:", "" for ssh's own
    std::string ultimo_envio;        // "dd-mm-yyyy hh:nn:ss" of the last copy sent, "" never
    std::string ultima_verificacao;  // the same for the last check, "" never
    std::string resultado_verificacao;  // "sem erros" or what the check found
};

// The current project's repository; nullopt when its copies stay local.
PEZOLVA_EXPORT std::optional<RepositorioFora> repositorio_fora();

// Creates a repository at `r.repositorio` and makes it the project's.
// Only this creates one: a path that is not there is never made by
// define_repositorio_fora.  A repository with a password in its address,
// or a relative path, is refused (erro 3100).
PEZOLVA_EXPORT void cria_repositorio_fora(const RepositorioFora& r);
// Makes the existing repository `r.repositorio` the project's, once it
// opens with the password of `r.ficheiro_password`.
PEZOLVA_EXPORT void define_repositorio_fora(const RepositorioFora& r);
// The project's copies stay local from now on (the repository is kept).
PEZOLVA_EXPORT void desliga_repositorio_fora();
// Frees the data of forgotten copies (takes the repository's exclusive lock).
PEZOLVA_EXPORT void poda_repositorio_fora();
// restic check, with `amostra` ("5%", "1/10") of the data read too.
// Records when and how it went; throws erro 3100 on any fault.
PEZOLVA_EXPORT std::string verifica_repositorio_fora(const std::optional<std::string>& amostra);

// A copy in the repository.
struct CopiaFora {
    std::string nome_fich;    // its file name as it was on disk
    std::string bd;           // the database it is a copy of, without ".mdb"
    std::string data;         // "dd-mm-yyyy hh:nn"
    std::string carimbo;      // "yyyymmddhhnn"
    std::string repositorio;  // where it lives
    std::string id;           // restic's snapshot
    std::string caminho;      // its path inside the snapshot
};

// The project's copies in the repository, newest first; empty when it has none.
PEZOLVA_EXPORT std::vector<CopiaFora> lista_copias_fora();

// Fetches the copy and replaces its database by it, with the same checks
// and lock as a copy on disk.  nullopt when done; otherwise why not, and
// the database is as it was.
PEZOLVA_EXPORT std::optional<std::string> repoe_de_fora(const CopiaFora& copia);

// Rebuilds the project `projecto` from the repository `r` alone into
// `pasta` (empty or missing): the newest copy of each database of its
// stored register, its structure databases and its register, each database
// checked as a restore checks a copy; the project's repository file is
// written there too, so its backups go on going off-site.  `passwd` opens
// the main database.  Returns the main database's file name: the caller
// then starts the project (arranca_projecto), which registers it here.
// Needs no current project.  Throws erro 3100.
PEZOLVA_EXPORT std::string recupera_projecto_fora(const RepositorioFora& r,
                                                  const std::string& projecto,
                                                  const std::string& pasta,
                                                  const std::string& passwd);

}  // namespace pezolva::operacoes
