#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

std::string quote(std::string_view text, char mark) {
    std::string out;
    out.reserve(text.size() + 2);
    out += mark;
    for (char c : text) {
        out += c;
        if (c == mark) out += mark;
    }
    out += mark;
    return out;
}

}  // namespace

std::string quote_identifier(std::string_view name) { return quote(name, '"'); }
std::string quote_literal(std::string_view text) { return quote(text, '\''); }

std::string quote_identifier_list(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        if (!out.empty()) out += ", ";
        out += quote_identifier(n);
    }
    return out;
}

}  // namespace pezolva::engine
