#include "testproject/detail/vocabulario.h"

namespace pezolva::testproject::detail {

const std::vector<std::string> kDistritos = {
    "Aveiro", "Beja",     "Braga",   "Bragança",         "Castelo Branco", "Coimbra",
    "Évora",  "Faro",     "Guarda",  "Leiria",           "Lisboa",         "Portalegre",
    "Porto",  "Santarém", "Setúbal", "Viana do Castelo", "Vila Real",      "Viseu"};
const std::vector<std::string> kRegioes = {"Centro", "Alentejo", "Norte",   "Norte",    "Centro",
                                           "Centro", "Alentejo", "Algarve", "Centro",   "Centro",
                                           "Lisboa", "Alentejo", "Norte",   "Alentejo", "Lisboa",
                                           "Norte",  "Norte",    "Centro"};
const std::vector<std::string> kCategorias = {"Comandante",
                                              "2.º Comandante",
                                              "Adjunto de Comando",
                                              "Oficial Bombeiro",
                                              "Chefe",
                                              "Subchefe",
                                              "Bombeiro de 1.ª classe",
                                              "Bombeiro de 2.ª classe",
                                              "Bombeiro de 3.ª classe",
                                              "Estagiário",
                                              "Cadete",
                                              "Infante"};
const std::vector<std::string> kTiposOcorrencia = {
    "Incêndio urbano",           "Incêndio florestal",  "Acidente rodoviário",
    "Emergência pré-hospitalar", "Inundação",           "Queda de árvore",
    "Resgate em altura",         "Matérias perigosas",  "Abertura de porta",
    "Transporte de doentes",     "Incêndio industrial", "Busca e salvamento",
    "Prevenção a espectáculo",   "Socorro a animais",   "Fuga de gás"};
const std::vector<std::string> kCodigosViatura = {"VUCI", "VFCI", "VLCI", "VTTU", "ABSC",
                                                  "ABTD", "VECI", "VTGC", "VCOT", "VETA"};
const std::vector<std::string> kTiposViatura = {"Veículo urbano de combate a incêndios",
                                                "Veículo florestal de combate a incêndios",
                                                "Veículo ligeiro de combate a incêndios",
                                                "Veículo tanque táctico urbano",
                                                "Ambulância de socorro",
                                                "Ambulância de transporte de doentes",
                                                "Veículo especial de combate a incêndios",
                                                "Veículo tanque de grande capacidade",
                                                "Veículo de comando táctico",
                                                "Veículo com escada automática"};
const std::vector<std::string> kTiposEquipamento = {
    "Mangueira",  "Agulheta",          "Aparelho respiratório",
    "Motosserra", "Desencarcerador",   "Escada extensível",
    "Gerador",    "Bomba submersível", "Desfibrilhador",
    "Maca",       "Extintor",          "Câmara térmica"};
const std::vector<std::string> kLugares = {
    "Alenquer", "Almodôvar",  "Amarante", "Arganil",  "Arouca",   "Barrancos", "Belmonte",
    "Borba",    "Cantanhede", "Chaves",   "Coruche",  "Estremoz", "Fafe",      "Gouveia",
    "Idanha",   "Lagos",      "Lamego",   "Loulé",    "Lousã",    "Mafra",     "Manteigas",
    "Mértola",  "Mirandela",  "Monção",   "Moura",    "Nazaré",   "Odemira",   "Ourém",
    "Penacova", "Peniche",    "Pombal",   "Sabugal",  "Sátão",    "Seia",      "Sertã",
    "Sintra",   "Tábua",      "Tondela",  "Valpaços", "Vouzela"};
const std::vector<std::string> kPrefixosLugar = {"Vila Nova de", "Santa Maria de", "São Pedro de",
                                                 "Castelo de",   "Torre de",       "Póvoa de",
                                                 "Ponte de",     "Vale de"};
const std::vector<std::string> kRuas = {
    "Rua da Conceição",    "Avenida da República",          "Largo do Município",
    "Travessa do Poço",    "Estrada Nacional 114",          "Praça de São João",
    "Beco da Fonte Santa", "Rua Dr. Afonso Costa",          "Rua 25 de Abril",
    "Calçada da Ajuda",    "Rua dos Bombeiros Voluntários", "Zona Industrial, lote"};
const std::vector<std::string> kMarcas = {"Mercedes-Benz", "MAN",        "Iveco",  "Renault",
                                          "Volvo",         "Scania",     "Toyota", "Land Rover",
                                          "Ford",          "Volkswagen", "Nissan", "DAF"};
const std::vector<std::string> kModelos = {"Atego 1326 4x4",     "TGM 13.290",   "Eurocargo 150E28",
                                           "Midlum 220",         "FL 240",       "P 280 4x4",
                                           "Land Cruiser HZJ78", "Defender 110", "Transit 350 L",
                                           "Crafter 35",         "Patrol GR",    "LF 55.220"};
const std::vector<std::string> kFuncoes = {
    "Chefe de equipa",          "Motorista",        "Operador de bomba", "Socorrista", "Tripulante",
    "Operador de comunicações", "Elemento de apoio"};

}  // namespace pezolva::testproject::detail
