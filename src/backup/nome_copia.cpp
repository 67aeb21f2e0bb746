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

// Byte offset just after the first `chars` characters of a UTF-8 text (its
// size when it has fewer).
std::size_t byte_offset(std::string_view text, std::size_t chars) {
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == 0) return i;
            --chars;
        }
    }
    return text.size();
}

// The longest prefix of `text` of at most `bytes` bytes that does not cut a
// character.
std::string_view prefix_of_bytes(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

bool all_digits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool is_lower_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

int number(std::string_view digits) {
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n;
}

}  // namespace

std::optional<std::string> base_copia(const std::string& caminho_bd) {
    const std::string ficheiro = file_name_of(caminho_bd);
    const std::size_t chars = char_count(ficheiro);
    if (chars < 4) return std::nullopt;
    return ficheiro.substr(0, byte_offset(ficheiro, chars - 4));
}

std::string nome_copia(const std::string& caminho_bd, const DateTime& momento) {
    const auto base = base_copia(caminho_bd);
    if (!base) {
        throw std::invalid_argument("nome de base de dados demasiado curto: " + caminho_bd);
    }
    if (!momento.valid()) throw std::invalid_argument("data e hora inválidas");
    const std::string ficheiro = file_name_of(caminho_bd);
    return *base + momento.stamp() + ficheiro.substr(base->size());
}

bool nome_copia_valido(const std::string& original, const std::string& nome) {
    const std::size_t length = char_count(file_name_of(original));
    if (!iends_with(nome, ".mdb")) return false;
    if (length <= 3) return false;
    const std::string_view rest = std::string_view(nome).substr(byte_offset(nome, length - 4));
    if (char_count(rest) <= 4) return false;
    // The last four characters are ".mdb", four bytes.
    const std::string_view data = rest.substr(0, rest.size() - 4);
    if (data.size() != 12 || !all_digits(data)) return false;
    const DateTime momento{number(data.substr(0, 4)),  number(data.substr(4, 2)),
                           number(data.substr(6, 2)),  number(data.substr(8, 2)),
                           number(data.substr(10, 2)), 0};
    return momento.valid();
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
