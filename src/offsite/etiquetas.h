#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pezolva::offsite {

// How a snapshot says what it holds.  restic splits a tag list at commas,
// so a name goes in encoded: every byte but letters, digits, ".", "_" and
// "-" as "%XX".
std::string codifica(const std::string& nome);
std::string descodifica(const std::string& etiqueta);

inline constexpr const char* kMarca = "pezolva";
inline constexpr const char* kTipoCopia = "tipo=copia";
inline constexpr const char* kTipoRegisto = "tipo=registo";
inline constexpr const char* kTipoEstrutura = "tipo=estrutura";

std::string etiqueta_projecto(const std::string& projecto);
std::string etiqueta_bd(const std::string& bd);
std::string etiqueta_carimbo(const std::string& carimbo);

// The tags of a database's copy.
std::vector<std::string> etiquetas_copia(const std::string& projecto, const std::string& bd,
                                         const std::string& carimbo);
// What the tags of a copy give back: the value of "chave=" decoded.
std::optional<std::string> valor_etiqueta(const std::vector<std::string>& etiquetas,
                                          const std::string& chave);

// "2005-05-19 14:07:00" for the stamp "200505191407": the snapshot's time,
// so that restic's "newest" is the copy's own order; nullopt for a stamp
// that is not twelve digits.
std::optional<std::string> hora_do_carimbo(const std::string& carimbo);

}  // namespace pezolva::offsite
