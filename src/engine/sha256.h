#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pezolva::engine {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256 (FIPS 180-4), fed in pieces.
class Sha256 {
public:
    Sha256();
    void update(std::string_view bytes);
    void update(const std::uint8_t* bytes, std::size_t size);
    // The digest of everything fed so far; the object must not be fed again.
    Digest finish();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

Digest sha256(std::string_view bytes);
Digest hmac_sha256(std::string_view key, std::string_view message);
// PBKDF2 with HMAC-SHA-256 (RFC 8018), one block: a 32-byte key.
Digest pbkdf2_sha256(std::string_view password, std::string_view salt, std::uint32_t iterations);

std::string to_hex(const Digest& digest);
std::string to_hex(std::string_view bytes);

}  // namespace pezolva::engine
