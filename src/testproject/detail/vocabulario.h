#pragma once
// The words the main database's rows are drawn from: Portuguese places,
// ranks, vehicles and equipment of fire brigades.
#include <string>
#include <vector>

namespace pezolva::testproject::detail {

extern const std::vector<std::string> kDistritos;
extern const std::vector<std::string> kRegioes;
extern const std::vector<std::string> kCategorias;
extern const std::vector<std::string> kTiposOcorrencia;
extern const std::vector<std::string> kCodigosViatura;
extern const std::vector<std::string> kTiposViatura;
extern const std::vector<std::string> kTiposEquipamento;
extern const std::vector<std::string> kLugares;
extern const std::vector<std::string> kPrefixosLugar;
extern const std::vector<std::string> kRuas;
extern const std::vector<std::string> kMarcas;
extern const std::vector<std::string> kModelos;
extern const std::vector<std::string> kFuncoes;

}  // namespace pezolva::testproject::detail
