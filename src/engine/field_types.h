#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pezolva::engine {

// Field type codes, as the component's callers know them.
enum TipoCampo : int {
    TipoSimNao = 1,    // Yes/No
    TipoByte = 2,      // 0..255
    TipoInteiro = 3,   // 16-bit signed
    TipoLongo = 4,     // 32-bit signed; an AutoNumber is a Long the engine fills
    TipoMoeda = 5,     // Currency: exact to four decimals, stored scaled by 10 000
    TipoSimples = 6,   // single-precision real
    TipoDuplo = 7,     // double-precision real
    TipoDataHora = 8,  // date and/or time, stored as ISO-8601 text
    TipoTexto = 10,    // text with a maximum length
    TipoBinario = 11,  // long binary, OLE objects (and columns with no declared type)
    TipoMemo = 12,     // text without a length
};

struct FieldType {
    int code = TipoBinario;
    int size = 0;  // the text length for TipoTexto, else the width in bytes
    friend bool operator==(const FieldType&, const FieldType&) = default;
};

// The type code and size a declared column type (as SQLite keeps it,
// verbatim) stands for.  Every text maps to exactly one code: the table in
// field_types.cpp first, then SQLite's own affinity rules.  Case and
// spacing do not matter.
FieldType field_type_of(std::string_view declared);

// The declared type the engine writes for a new field of `code`; `size` is
// the text length (0 or less: 255) and is ignored for other codes.  It maps
// back to the same code and size.  Throws EngineError (ErroTipoCampo) for a
// code that is not one of TipoCampo.
std::string declared_type_for(int code, int size);

// True for the codes whose values are numbers (Yes/No to Double, not dates).
bool is_numeric_code(int code);

// True for the codes whose values are texts compared without regard to case.
bool is_text_code(int code);

// Currency as stored: the amount times 10 000, a whole number, so that
// every amount of the original's range (to 922337203685477.5807) is kept
// exactly.  The text is the amount in decimal ("-12.5", "0.0001"); a text
// with more than four decimals or beyond the range gives nullopt.
std::string currency_text(std::int64_t scaled);
std::optional<std::int64_t> currency_scaled(std::string_view text);

}  // namespace pezolva::engine
