#include "engine/sha256.h"

#include <algorithm>
#include <cstring>

namespace pezolva::engine {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

std::string_view as_text(const Digest& d) {
    return {reinterpret_cast<const char*>(d.data()), d.size()};
}

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i) {
        w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
               (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state_;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25);
        const std::uint32_t ch = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + ch + kRound[i] + w[i];
        const std::uint32_t s0 = rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22);
        const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + maj;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::update(std::string_view bytes) {
    update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void Sha256::update(const std::uint8_t* bytes, std::size_t size) {
    length_ += size;
    while (size > 0) {
        const std::size_t take = std::min(size, buffer_.size() - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes, take);
        buffered_ += take;
        bytes += take;
        size -= take;
        if (buffered_ == buffer_.size()) {
            compress(buffer_.data());
            buffered_ = 0;
        }
    }
}

Digest Sha256::finish() {
    const std::uint64_t bits = length_ * 8;
    // The padding: a one bit, zeros up to 8 bytes short of a block, the
    // length in bits.
    std::array<std::uint8_t, 72> padding{};
    padding[0] = 0x80;
    const std::size_t zeros = (buffered_ < 56 ? 56 : 120) - buffered_ - 1;
    for (int i = 0; i < 8; ++i) padding[1 + zeros + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    update(padding.data(), 1 + zeros + 8);
    Digest out{};
    for (int i = 0; i < 8; ++i) {
        out[4 * i] = static_cast<std::uint8_t>(state_[i] >> 24);
        out[4 * i + 1] = static_cast<std::uint8_t>(state_[i] >> 16);
        out[4 * i + 2] = static_cast<std::uint8_t>(state_[i] >> 8);
        out[4 * i + 3] = static_cast<std::uint8_t>(state_[i]);
    }
    return out;
}

Digest sha256(std::string_view bytes) {
    Sha256 h;
    h.update(bytes);
    return h.finish();
}

namespace {

// HMAC-SHA-256 with one key for many messages: the key's two padded blocks
// are hashed once, and each message starts from those states.
class KeyedHmac {
public:
    explicit KeyedHmac(std::string_view key) {
        std::array<std::uint8_t, 64> block{};
        if (key.size() > block.size()) {
            const Digest k = sha256(key);
            std::memcpy(block.data(), k.data(), k.size());
        } else {
            std::memcpy(block.data(), key.data(), key.size());
        }
        std::array<std::uint8_t, 64> pad{};
        for (std::size_t i = 0; i < block.size(); ++i) pad[i] = block[i] ^ 0x36;
        inner_.update(pad.data(), pad.size());
        for (std::size_t i = 0; i < block.size(); ++i) pad[i] = block[i] ^ 0x5c;
        outer_.update(pad.data(), pad.size());
    }
    Digest mac(std::string_view message) const {
        Sha256 in = inner_;
        in.update(message);
        const Digest inner_digest = in.finish();
        Sha256 out = outer_;
        out.update(inner_digest.data(), inner_digest.size());
        return out.finish();
    }

private:
    Sha256 inner_, outer_;
};

}  // namespace

Digest hmac_sha256(std::string_view key, std::string_view message) { return KeyedHmac(key).mac(message); }

Digest pbkdf2_sha256(std::string_view password, std::string_view salt, std::uint32_t iterations) {
    const KeyedHmac hmac(password);
    std::string first(salt);
    first += std::string("\0\0\0\1", 4);
    Digest u = hmac.mac(first);
    Digest t = u;
    for (std::uint32_t i = 1; i < iterations; ++i) {
        u = hmac.mac(as_text(u));
        for (std::size_t j = 0; j < t.size(); ++j) t[j] ^= u[j];
    }
    return t;
}

std::string to_hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string to_hex(const Digest& digest) { return to_hex(as_text(digest)); }

}  // namespace pezolva::engine
