#pragma once

#include <optional>
#include <string>

#include "common/file_system.h"

namespace pezolva::offsite {

// The name of the file, in the project folder beside its databases, that
// says where the project's copies also go.  It lives with the project, not
// in one user's settings, so that every user's backup goes off-site; it is
// readable by everyone who works on the project and holds no secret.
inline constexpr const char* kFicheiroConfiguracao = "pezolva_offsite.ini";

struct ConfiguracaoOffsite {
    std::string repositorio;        // as restic takes it: a path, "sftp:…", "rest:…", "s3:…"
    std::string ficheiro_password;  // the path of the file with its password (never the password)
    std::string comando_sftp;       // the ssh command for "sftp:" (a port, a key), "" for ssh's own
    // What the runs record, for the main window: when the last copy went
    // off-site, when the repository was last checked and how that went,
    // and the day of the last prune.
    std::string ultimo_envio;
    std::string ultima_verificacao;
    std::string resultado_verificacao;
    std::string ultimo_prune;
};

std::string caminho_configuracao(const std::string& pasta_projecto);

// The project's configuration; nullopt when it has none (off-site copies off).
// Throws FileError when the file exists but cannot be read.
std::optional<ConfiguracaoOffsite> le_configuracao(FileSystem& files,
                                                   const std::string& pasta_projecto);

// Writes it whole (never half), readable by all and writable by its owner
// only: the ssh command it may hold is run by every user's backup, so no
// one else may change it.
void grava_configuracao(FileSystem& files, const std::string& pasta_projecto,
                        const ConfiguracaoOffsite& c);

// Why restic must not be given `repositorio`; nullopt when it may.  A
// repository written with a password in it is refused (it would end up in
// a file, a log and a command line): restic reads those from its own places.
// A local repository must be an absolute path.
std::optional<std::string> recusa_repositorio(const std::string& repositorio);

// True for a repository on this machine's file system (a path, "local:…").
bool repositorio_local(const std::string& repositorio);
// The folder of a local repository.
std::string pasta_local(const std::string& repositorio);

}  // namespace pezolva::offsite
