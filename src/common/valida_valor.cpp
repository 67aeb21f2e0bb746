#include "common/valida_valor.h"

#include "common/text.h"

namespace pezolva {
namespace {

bool numeric_in(const std::string& text, double low, double high_exclusive) {
    if (!texto_numerico(text)) return false;
    const auto value = leading_number(text);
    // "-.5" or ",5" pass the numeric test but have no leading number: 0.
    const double v = value.value_or(0.0);
    return v >= low && v < high_exclusive;
}

bool refuse(Dialogs& dialogs, const char* text) {
    informa(dialogs, text, "Erro", Icon::Warning);
    return false;
}

}  // namespace

bool valida_valor(const Value& valor, int tipo, int tamanho, Dialogs& dialogs) {
    if (valor.is_null_or_empty()) return true;
    const std::string text = valor.to_text();
    if (text.find('\'') != std::string::npos || text.find('|') != std::string::npos) {
        informa(dialogs,
                "Valor inválido.\rNão pode conter o caracter ' (pelica) nem o caracter | "
                "(barra vertical).",
                "Atenção", Icon::Warning);
        return false;
    }
    switch (tipo) {
        case 2:
            return numeric_in(text, 0, 256) || refuse(dialogs, "Valor inválido.");
        case 3:
            return numeric_in(text, -32767, 32767) || refuse(dialogs, "Valor inválido.");
        case 4:
        case 6:
        case 7:
            return texto_numerico(text) || refuse(dialogs, "Valor inválido.");
        case 8:
            return valor.kind() == Value::Kind::Date || DateTime::parse_user(text) ||
                   refuse(dialogs, "Data inválida.");
        case 10:
            return char_count(text) <= static_cast<std::size_t>(tamanho < 0 ? 0 : tamanho) ||
                   refuse(dialogs, "O comprimento do campo excede o permitido.");
        default:
            return true;
    }
}

}  // namespace pezolva
