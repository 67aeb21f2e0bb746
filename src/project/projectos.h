#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/settings_store.h"
#include "project/projecto.h"

namespace pezolva {

// Where the component keeps the workstation's projects.
inline constexpr const char* kAplicacao = "ZOLVA";
inline constexpr const char* kSeccaoProjectos = "Projectos";
inline constexpr const char* kChaveNomes = "Nomes";

// One registered project, as the choice window lists it.
struct EntradaProjecto {
    std::string nome;
    std::string descr;
    std::string nome_bd;
    std::string caminho;
};

// Throws EngineError (ErroArgumento) for a project name that the settings
// could not keep as one name: empty, with blanks at its ends, or holding
// ";" (the separator of "Nomes"), "[", "]" or a control character such as
// a line break.
void valida_nome_projecto(const std::string& projecto);

// Makes the project current and records it in the settings: the first five
// steps of `actualiza_path` (the register check follows in the caller).
//  1. copies the arguments into `actual` (`descr` only goes to the settings);
//  2. looks the name up in "Nomes", case-blind;
//  3. a new project is appended to "Nomes" and gets "ultima_copia" empty and
//     "faz_copias" from the host's "setup"/"ORIGEM" ("PRINCIPAL" → True);
//  4. reads "faz_copias" into `actual` (a damaged value reads as True);
//  5. writes "path", "nome_bd" and "descr" as given.
// The settings are read and written in one edit under their lock.  Throws
// EngineError for a name valida_nome_projecto refuses, before anything
// changes; FileError when the settings cannot be read or written, and then
// they are left as they were.
void regista_projecto(SettingsStore& settings, ProjectoActual& actual, const std::string& caminho,
                      const std::string& projecto, const std::string& nome_bd,
                      const std::string& descr, const std::string& passwd, bool vem_de_pezolva);

// The names of "Nomes" in order, stray separators and blanks ignored, each
// with its description, folder and main database from its section.
std::vector<EntradaProjecto> lista_projectos(SettingsStore& settings);

// Shows the choice among several projects; returns the chosen index, or -1
// when the user cancels.
using EscolheProjecto = std::function<int(const std::vector<EntradaProjecto>&)>;

// Lists the registered projects and lets the user choose one (a single
// project is taken without asking).  True with the chosen project in the
// outputs and `ha_mais` True; False when there is none (after a message) or
// the user cancels, outputs then unchanged and `ha_mais` False.
bool selecciona_projectos(SettingsStore& settings, Dialogs& dialogs, const EscolheProjecto& escolhe,
                          std::vector<EntradaProjecto>& lista, std::string& nome_proj,
                          std::string& descr, std::string& caminho, std::string& nome_bd,
                          bool& ha_mais);

}  // namespace pezolva
