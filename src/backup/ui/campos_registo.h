#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/dialogs.h"
#include "common/value.h"
#include "engine/schema.h"

namespace pezolva::backup {

// The register fields of the backup window: the text box Text3(indice)
// shows and edits the column `coluna` of the current register row.
struct CampoRegisto {
    int indice;
    const char* coluna;
    const char* etiqueta;  // "" for the time of the last copy, which shares the date's label
    const char* dica;      // tooltip, "" for none
    bool editavel;         // false for the statistics of the last copy
    bool obrigatorio;      // emptying it is refused
};

inline constexpr int kCampoNome = 0;
inline constexpr int kCampoEstrutura = 1;
inline constexpr int kCampoDestino = 2;
inline constexpr int kCampoCopias = 3;
inline constexpr int kCampoIntervalo = 4;
inline constexpr int kCampoIntegridades = 5;
inline constexpr int kCampoTamanho = 10;
inline constexpr int kNumeroCampos = 13;

// The thirteen fields, in index order.
const std::array<CampoRegisto, kNumeroCampos>& campos_registo();

// A whole number as "#,###,##0" shows it, grouped in thousands with the
// Portuguese separator ".": 1234567 gives "1.234.567", -1 gives "-1".
std::string agrupa_milhares(std::int64_t n);

// The text field `indice` shows for the stored `valor`: "" for Null, dates
// as above, the size of the last copy grouped in thousands, anything else
// as its plain text.  The text so shown is not an edit.
std::string texto_do_valor(const Value& valor, int indice);

// The value stored for a text typed into a column of engine type `tipo`.
// Numbers are read the Portuguese way when they hold a "," (a decimal
// comma, "." grouping thousands) and with "." as decimal point otherwise,
// unless several "." group thousands; whole-number columns round to the
// nearest (halves to even).  nullopt when the text is no value of the type
// or falls outside its range (a Long beyond 32 bits, a Byte above 255).
// An empty text is Null.
std::optional<Value> valor_do_texto(const std::string& texto, int tipo);

// What leaving an edited field comes to.
enum class Desfecho {
    Recusado,     // the value was refused (the user was told): the stored value comes back
    Obrigatorio,  // a mandatory field was emptied (the user was told): the stored value comes back
    Gravar,       // `valor` is to be stored (Null for an emptied optional field)
};

struct AvaliacaoEdicao {
    Desfecho desfecho;
    Value valor;
};

// Judges the text typed into `campo`, whose column is `definicao`:
//  1. the general value check for the column's type and size (it explains
//     a refusal itself);
//  2. the conversion to the column's type (a value out of its range is
//     refused with "Valor inválido.", as the check refuses others);
//  3. an empty text: mandatory fields are told "Tem de introduzir um
//     valor.", optional ones store Null.
AvaliacaoEdicao avalia_edicao(const CampoRegisto& campo, const std::string& texto,
                              const engine::Field& definicao, Dialogs& dialogs);

// The folder the structure chooser starts in, for the text of the structure
// field: the folder of the file it names, a bare name being looked for in
// the database's folder (that of `nome_bd`, or the project folder when it
// has none); the project folder when the text is blank.
std::string pasta_inicial_estrutura(const std::string& texto, const std::string& nome_bd,
                                    const std::string& pasta_projecto);

}  // namespace pezolva::backup
