#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "engine/database.h"

// Test projects: a project folder with the main database, its companions
// and their structure databases, built through the engine with realistic
// rows, for the tests of every subsystem, the launcher's demonstration and
// the benchmarks.
namespace pezolva::testproject {

// File names and passwords of a project, as the register's default rows
// give them for a main database named "brasol.mdb".
inline constexpr const char* kPrincipal = "brasol.mdb";
inline constexpr const char* kFotos = "brasol_fotos.mdb";
inline constexpr const char* kLog = "log.mdb";
inline constexpr const char* kEstruturaPrincipal = "estr_b.ebd";
inline constexpr const char* kEstruturaFotos = "estr_f.ebd";
inline constexpr const char* kEstruturaLog = "estr_l.ebd";
inline constexpr const char* kPassePrincipal = "kqa730418";
inline constexpr const char* kPasseLog = "logkqa730412";

// A failure of the test project itself (the folder, files in the way, an
// incomplete project), with a Portuguese message that names the file.
class ErroProjecto : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One step of the building, for progress reports: a table filled, the
// indexes of a file made, its relations checked.
struct Etapa {
    std::string ficheiro;   // file name of the database
    std::string descricao;  // table name, "índices" or "verificação das relações"
    std::int64_t linhas;    // rows made (0 for the other steps)
    double segundos;
};

struct Opcoes {
    // Rows of the largest tables of the main database (ocorrencias,
    // servicos, guarnicoes); the other tables scale from it, lookup tables
    // up to their natural size.  0: every table empty except parametros.
    std::int64_t linhas = 20;
    // When > 0, `linhas` is ignored and chosen so that the main database
    // comes to about this many bytes.
    std::int64_t bytes = 0;
    // The same seed gives the same rows.
    std::uint64_t semente = 1;
    // Also make the structure databases (estr_b.ebd, estr_f.ebd, estr_l.ebd).
    bool estruturas = true;
    // The schema version in parametros, in every database and structure.
    std::string versao = "20050519";
    // How the rows go in, for measurement only; the files come out alike.
    // The default (relations checked once after the load, indexes made after
    // the rows) is the faster.
    bool chaves_na_carga = false;
    bool indices_na_carga = false;
    // Called after each step, when set.
    std::function<void(const Etapa&)> progresso;
};

// One database of a project.
struct BaseDados {
    std::string caminho;        // the database file
    std::string estrutura;      // its structure database; "" when the project has none
    std::string palavra_passe;  // "" when it has none
    // Rows per table (system tables left out), as built or as found.
    std::map<std::string, std::int64_t> linhas;

    // The connect string that opens it: ";pwd=" and the password.
    std::string ligacao() const { return ";pwd=" + palavra_passe; }
};

struct Projecto {
    std::string pasta;
    BaseDados principal;
    BaseDados fotos;
    BaseDados log;

    // The three databases: main, photos, log.
    std::array<const BaseDados*, 3> bases() const { return {&principal, &fotos, &log}; }
};

// Builds a test project in `pasta` (created when missing).  Every file is
// built under a temporary name and takes its own name only when the whole
// project is complete, so an interrupted build leaves no file that looks
// finished.  Never creates the register table BUPS (the component creates it
// at its first start).
// Throws ErroProjecto, changing nothing, when one of the project's files
// already exists or the folder cannot be made; on any other failure no
// file of the project remains.
Projecto cria_projecto(const std::string& pasta, const Opcoes& opcoes = {});

// The project already in `pasta` when all its files are there (the
// structures only when `opcoes.estruturas`), checked by opening each with
// its password and counting its rows; else a new one, when none of its
// files is there.  `opcoes` other than `estruturas` do not apply to a
// project that is reused.  Throws ErroProjecto for an incomplete project,
// naming a missing file, and EngineError when a file does not open.
Projecto reutiliza_ou_cria(const std::string& pasta, const Opcoes& opcoes = {});

// The rows of the largest tables that give a main database of about
// `bytes` bytes (at least 1).
std::int64_t linhas_para_bytes(std::int64_t bytes);

// Opens a database of the project, or its structure, with its password.
engine::Database abre(const BaseDados& base);
engine::Database abre_estrutura(const BaseDados& base);

}  // namespace pezolva::testproject
