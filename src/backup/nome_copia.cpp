#include "backup/nome_copia.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "common/text.h"

namespace pezolva::backup {
namespace {

constexpr std::string_view kTemporaryEnding = ".pezolva-tmp";
constexpr std::size_t kTokenDigits = 16;
// The longest file name a Linux file system takes, in bytes.
constexpr std::size_t kNameMax = 255;

// The longest prefix of `text` of at most `bytes` bytes that does not cut a
// character.
std::string_view prefix_of_bytes(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

bool is_lower_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string nome_copia(const std::string& caminho_bd, const DateTime& momento) {
    const auto base = base_copia(caminho_bd);
    if (!base) {
        throw std::invalid_argument("nome de base de dados demasiado curto: " + caminho_bd);
    }
    if (!momento.valid()) throw std::invalid_argument("data e hora inválidas");
    const std::string ficheiro = file_name_of(caminho_bd);
    return *base + momento.stamp() + ficheiro.substr(base->size());
}

std::string nome_temporario(const std::string& nome_copia, std::uint64_t token) {
    char hex[kTokenDigits + 1];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(token));
    const std::size_t room = kNameMax - 2 - kTokenDigits - kTemporaryEnding.size();
    std::string nome = ".";
    nome += prefix_of_bytes(nome_copia, room);
    nome += '.';
    nome += hex;
    nome += kTemporaryEnding;
    return nome;
}

bool nome_temporario_de_copia(const std::string& nome) {
    const std::string_view text = nome;
    // "." + at least one character + "." + token + ending.
    const std::size_t tail = 1 + kTokenDigits + kTemporaryEnding.size();
    if (text.size() < 2 + tail || text.front() != '.') return false;
    if (!text.ends_with(kTemporaryEnding)) return false;
    const std::string_view marked = text.substr(text.size() - tail, 1 + kTokenDigits);
    if (marked.front() != '.') return false;
    for (char c : marked.substr(1)) {
        if (!is_lower_hex(c)) return false;
    }
    return true;
}

std::optional<std::string> copia_do_temporario(const std::string& nome) {
    if (!nome_temporario_de_copia(nome)) return std::nullopt;
    const std::size_t tail = 1 + kTokenDigits + kTemporaryEnding.size();
    return nome.substr(1, nome.size() - 1 - tail);
}

}  // namespace pezolva::backup
