#include "engine/detail/password_gate.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

constexpr std::uint32_t kIterations = 10000;
constexpr std::int64_t kMostIterations = 10'000'000;  // a damaged row must not hang the open

using Digest = std::array<unsigned char, 32>;

std::string random_bytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
        throw EngineError(ErroMotor, "Não foi possível obter números aleatórios do sistema.");
    }
    return bytes;
}

std::string to_hex(const unsigned char* bytes, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0f];
    }
    return hex;
}

std::string to_hex(const std::string& bytes) {
    return to_hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The stored digest: PBKDF2 with HMAC-SHA-256, one 32-byte block, over the
// salt's hex text as stored, written as lower-case hex.
std::string derive(const std::string& password, const std::string& salt, std::uint32_t iterations) {
    Digest key{};
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                          static_cast<int>(key.size()), key.data()) != 1) {
        throw EngineError(ErroMotor, "Não foi possível verificar a palavra-passe.");
    }
    return to_hex(key.data(), key.size());
}

bool same(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

// What the cache of opened gates keeps for a password: an HMAC under a key
// drawn once per process, so that the memory holds nothing a dictionary
// could be run against outside this process.
Digest cache_proof(const std::string& salt, const std::string& password) {
    static const std::string key = random_bytes(32);
    const std::string message = salt + '\n' + password;
    Digest proof{};
    unsigned int size = 0;
    if (HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), proof.data(),
             &size) == nullptr ||
        size != proof.size()) {
        throw EngineError(ErroMotor, "Não foi possível verificar a palavra-passe.");
    }
    return proof;
}

// The gates this process has opened with the right password already.  A
// backup opens one database several times (the live file, its snapshot,
// the copy, on two threads), and each derivation costs milliseconds on
// purpose; what is kept is a keyed digest of the password with the gate's
// salt (cache_proof), never the password nor a plain digest of it.
class OpenedGates {
  public:
    bool contains(const std::string& gate, const Digest& proof) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::find(entries_.begin(), entries_.end(), std::pair{gate, proof}) !=
               entries_.end();
    }
    void add(const std::string& gate, const Digest& proof) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (entries_.size() == kMost) entries_.pop_front();
        entries_.emplace_back(gate, proof);
    }

  private:
    static constexpr std::size_t kMost = 32;
    std::mutex mutex_;
    std::deque<std::pair<std::string, Digest>> entries_;
};

OpenedGates& opened_gates() {
    static OpenedGates gates;
    return gates;
}

bool gate_exists(DbState& state, const std::string& schema = "main") {
    Statement s = state.prepare("SELECT 1 FROM " + quote_identifier(schema) +
                                ".sqlite_schema WHERE type='table' AND name=?1 COLLATE NOCASE");
    s.bind_text(1, kGateTable);
    return s.step();
}

}  // namespace

bool has_password(DbState& state) {
    if (!gate_exists(state)) return false;
    return !state.value("SELECT 1 FROM " + quote_identifier(kGateTable) + " LIMIT 1").is_null();
}

void check_password(DbState& state, const std::string& password, const std::string& schema) {
    if (!gate_exists(state, schema)) return;
    Statement s =
        state.prepare("SELECT \"Sal\", \"Iteracoes\", \"Resumo\" FROM " + quote_identifier(schema) +
                      "." + quote_identifier(kGateTable) + " LIMIT 1");
    if (!s.step()) return;
    const std::string salt = s.column_text(0);
    const std::int64_t iterations = s.column_int64(1);
    const std::string stored = s.column_text(2);
    if (iterations < 1 || iterations > kMostIterations) throw wrong_password();
    const std::string gate = salt + '\n' + std::to_string(iterations) + '\n' + stored;
    const Digest proof = cache_proof(salt, password);
    if (opened_gates().contains(gate, proof)) return;
    if (!same(derive(password, salt, static_cast<std::uint32_t>(iterations)), stored))
        throw wrong_password();
    opened_gates().add(gate, proof);
}

void check_storable_password(const std::string& password) {
    if (password.find(';') != std::string::npos) {
        throw EngineError(ErroArgumento,
                          "A palavra-passe não pode conter ';': a cadeia de ligação não a "
                          "poderia transmitir e ninguém abriria a base de dados.");
    }
}

void write_password(DbState& state, const std::string& password) {
    check_storable_password(password);
    const bool own_transaction = sqlite3_get_autocommit(state.db()) != 0;
    std::unique_ptr<TransactionGuard> transaction;
    if (own_transaction) transaction = std::make_unique<TransactionGuard>(state);
    const std::string table = quote_identifier(kGateTable);
    if (password.empty()) {
        state.exec("DROP TABLE IF EXISTS " + table);
    } else {
        // Kept in place when present, so the table keeps its position.
        if (gate_exists(state)) {
            state.exec("DELETE FROM " + table);
        } else {
            state.exec("CREATE TABLE " + table +
                       " (\"Sal\" TEXT NOT NULL, \"Iteracoes\" INTEGER NOT NULL, \"Resumo\" TEXT "
                       "NOT NULL)");
        }
        const std::string salt = to_hex(random_bytes(16));
        Statement s = state.prepare("INSERT INTO " + table + " VALUES (?1, ?2, ?3)");
        s.bind_text(1, salt);
        s.bind_int64(2, kIterations);
        s.bind_text(3, derive(password, salt, kIterations));
        s.run();
    }
    if (transaction) transaction->commit();
}

}  // namespace pezolva::engine::detail
