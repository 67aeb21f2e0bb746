#include "engine/field_types.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/error.h"

namespace pezolva::engine {
namespace {

constexpr int kDefaultTextSize = 255;

struct TypeName {
    std::string_view name;  // upper case, words separated by one blank
    int code;
    int size;  // for TipoTexto: the size when no length is written
};

// Every declared type a user can write, by its words (upper case, single
// blanks, the "(n)" or "(p,s)" part left out), and what it stands for.
// Names not listed fall back to SQLite's affinity rules (see affinity_type).
constexpr std::array kTypeNames = {
    TypeName{"BOOLEAN", TipoSimNao, 1},  // the engine's own Yes/No
    TypeName{"BOOL", TipoSimNao, 1},
    TypeName{"BIT", TipoSimNao, 1},
    TypeName{"YESNO", TipoSimNao, 1},
    TypeName{"LOGICAL", TipoSimNao, 1},
    TypeName{"TINYINT", TipoByte, 1},  // the engine's own Byte
    TypeName{"BYTE", TipoByte, 1},
    TypeName{"SMALLINT", TipoInteiro, 2},  // the engine's own Integer
    TypeName{"INT2", TipoInteiro, 2},
    TypeName{"SHORT", TipoInteiro, 2},
    TypeName{"LONG", TipoLongo, 4},     // the engine's own Long
    TypeName{"INTEGER", TipoLongo, 4},  // also the rowid alias
    TypeName{"INT", TipoLongo, 4},
    TypeName{"MEDIUMINT", TipoLongo, 4},
    TypeName{"INT4", TipoLongo, 4},
    TypeName{"BIGINT", TipoLongo, 4},  // no wider code exists
    TypeName{"INT8", TipoLongo, 4},
    TypeName{"UNSIGNED BIG INT", TipoLongo, 4},
    TypeName{"FLOAT", TipoSimples, 4},  // the engine's own Single
    TypeName{"SINGLE", TipoSimples, 4},
    TypeName{"FLOAT4", TipoSimples, 4},
    TypeName{"DOUBLE", TipoDuplo, 8},  // the engine's own Double
    TypeName{"REAL", TipoDuplo, 8},
    TypeName{"DOUBLE PRECISION", TipoDuplo, 8},
    TypeName{"FLOAT8", TipoDuplo, 8},
    TypeName{"NUMERIC", TipoDuplo, 8},  // precision and scale ignored
    TypeName{"DECIMAL", TipoDuplo, 8},
    TypeName{"MONEY", TipoDuplo, 8},
    TypeName{"CURRENCY", TipoMoeda, 8},     // the engine's own Currency (scaled)
    TypeName{"DATETIME", TipoDataHora, 8},  // the engine's own Date/Time
    TypeName{"DATE", TipoDataHora, 8},
    TypeName{"TIME", TipoDataHora, 8},
    TypeName{"TIMESTAMP", TipoDataHora, 8},
    TypeName{"TEXT", TipoTexto, kDefaultTextSize},  // the engine's own Text(n)
    TypeName{"VARCHAR", TipoTexto, kDefaultTextSize},
    TypeName{"CHAR", TipoTexto, kDefaultTextSize},
    TypeName{"NCHAR", TipoTexto, kDefaultTextSize},
    TypeName{"NVARCHAR", TipoTexto, kDefaultTextSize},
    TypeName{"CHARACTER", TipoTexto, kDefaultTextSize},
    TypeName{"VARYING CHARACTER", TipoTexto, kDefaultTextSize},
    TypeName{"NATIVE CHARACTER", TipoTexto, kDefaultTextSize},
    TypeName{"CLOB", TipoTexto, kDefaultTextSize},
    TypeName{"STRING", TipoTexto, kDefaultTextSize},
    TypeName{"LONGTEXT", TipoMemo, 0},  // the engine's own Memo (TEXT affinity)
    TypeName{"MEMO", TipoMemo, 0},
    TypeName{"LONGCHAR", TipoMemo, 0},
    TypeName{"BLOB", TipoBinario, 0},  // long binary
    TypeName{"LONGBINARY", TipoBinario, 0},
    TypeName{"OLEOBJECT", TipoBinario, 0},
    TypeName{"", TipoBinario, 0},  // no declared type at all
};

struct Parsed {
    std::string upper;              // the whole text in upper case
    std::string words;              // the words outside parentheses
    std::vector<std::string> args;  // the parts inside the parentheses
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string trimmed(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && is_blank(text[b])) ++b;
    while (e > b && is_blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

Parsed parse(std::string_view declared) {
    Parsed p;
    int depth = 0;
    std::string arg;
    bool pending_blank = false;
    for (char raw : declared) {
        const char c = upper(raw);
        p.upper += c;
        if (c == '(') {
            if (depth++ == 0)
                arg.clear();
            else
                arg += c;
            pending_blank = false;
            continue;
        }
        if (c == ')' && depth > 0) {
            if (--depth == 0)
                p.args.push_back(trimmed(arg));
            else
                arg += c;
            continue;
        }
        if (depth > 0) {
            if (c == ',' && depth == 1) {
                p.args.push_back(trimmed(arg));
                arg.clear();
            } else {
                arg += c;
            }
            continue;
        }
        if (is_blank(c)) {
            pending_blank = !p.words.empty();
            continue;
        }
        if (pending_blank) p.words += ' ';
        pending_blank = false;
        p.words += c;
    }
    return p;
}

int text_size(const Parsed& p) {
    if (p.args.empty()) return kDefaultTextSize;
    int n = 0;
    const std::string& a = p.args.front();
    auto [ptr, ec] = std::from_chars(a.data(), a.data() + a.size(), n);
    if (ec != std::errc() || ptr != a.data() + a.size() || n < 0) return kDefaultTextSize;
    return n;
}

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// SQLite's rules for a column's affinity, in its order, on the whole text.
FieldType affinity_type(const Parsed& p) {
    if (has(p.upper, "INT")) return {TipoLongo, 4};
    if (has(p.upper, "CHAR") || has(p.upper, "CLOB") || has(p.upper, "TEXT"))
        return {TipoTexto, text_size(p)};
    if (has(p.upper, "BLOB")) return {TipoBinario, 0};
    if (has(p.upper, "REAL") || has(p.upper, "FLOA") || has(p.upper, "DOUB")) return {TipoDuplo, 8};
    return {TipoDuplo, 8};  // NUMERIC affinity
}

}  // namespace

FieldType field_type_of(std::string_view declared) {
    const Parsed p = parse(declared);
    for (const TypeName& t : kTypeNames) {
        if (t.name == p.words) {
            if (t.code == TipoTexto) return {TipoTexto, text_size(p)};
            return {t.code, t.size};
        }
    }
    return affinity_type(p);
}

std::string declared_type_for(int code, int size) {
    switch (code) {
        case TipoSimNao:
            return "BOOLEAN";
        case TipoByte:
            return "TINYINT";
        case TipoInteiro:
            return "SMALLINT";
        case TipoLongo:
            return "LONG";
        case TipoMoeda:
            return "CURRENCY";
        case TipoSimples:
            return "FLOAT";
        case TipoDuplo:
            return "DOUBLE";
        case TipoDataHora:
            return "DATETIME";
        case TipoTexto:
            return "TEXT(" + std::to_string(size > 0 ? size : kDefaultTextSize) + ")";
        case TipoBinario:
            return "BLOB";
        case TipoMemo:
            return "LONGTEXT";
        default:
            throw EngineError(ErroTipoCampo,
                              "Tipo de dados do campo inválido: " + std::to_string(code) + ".");
    }
}

bool is_numeric_code(int code) {
    return code == TipoSimNao || code == TipoByte || code == TipoInteiro || code == TipoLongo ||
           code == TipoSimples || code == TipoDuplo || code == TipoMoeda;
}

bool is_text_code(int code) { return code == TipoTexto || code == TipoMemo; }

std::string currency_text(std::int64_t scaled) {
    // Through the unsigned magnitude: -(INT64_MIN) does not fit a signed one.
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(scaled)
                                             : static_cast<std::uint64_t>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    std::string decimals = std::to_string(magnitude % 10000);
    decimals.insert(0, 4 - decimals.size(), '0');
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) text += "." + decimals;
    return negative ? "-" + text : text;
}

std::optional<std::int64_t> currency_scaled(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string decimals(dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1));
    if ((whole.empty() && decimals.empty()) || decimals.size() > 4) return std::nullopt;
    decimals.append(4 - decimals.size(), '0');
    const std::string digits = std::string(whole) + decimals;
    std::uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return std::nullopt;
    return negative ? static_cast<std::int64_t>(std::uint64_t{0} - magnitude)
                    : static_cast<std::int64_t>(magnitude);
}

}  // namespace pezolva::engine
