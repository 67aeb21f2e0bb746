#include "engine/detail/password_gate.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <mutex>
#include <utility>

#include "engine/quoting.h"
#include "engine/sha256.h"

namespace pezolva::engine::detail {
namespace {

constexpr std::uint32_t kIterations = 10000;
constexpr std::int64_t kMostIterations = 10'000'000;  // a damaged row must not hang the open

std::string random_bytes(std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::getrandom(bytes.data() + done, count - done, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EngineError(ErroMotor, "Não foi possível obter números aleatórios do sistema.");
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

bool same(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

// The gates this process has opened with the right password already.  A
// backup opens one database several times (the live file, its snapshot,
// the copy, on two threads), and each derivation costs milliseconds on
// purpose; what is kept is a digest of the password with the gate's salt,
// never the password.
class OpenedGates {
public:
    bool contains(const std::string& gate, const Digest& proof) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::find(entries_.begin(), entries_.end(), std::pair{gate, proof}) != entries_.end();
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
    Statement s = state.prepare("SELECT \"Sal\", \"Iteracoes\", \"Resumo\" FROM " +
                                quote_identifier(schema) + "." + quote_identifier(kGateTable) +
                                " LIMIT 1");
    if (!s.step()) return;
    const std::string salt = s.column_text(0);
    const std::int64_t iterations = s.column_int64(1);
    const std::string stored = s.column_text(2);
    if (iterations < 1 || iterations > kMostIterations) throw wrong_password();
    const std::string gate = salt + '\n' + std::to_string(iterations) + '\n' + stored;
    const Digest proof = sha256(salt + '\n' + password);
    if (opened_gates().contains(gate, proof)) return;
    const std::string digest = to_hex(pbkdf2_sha256(password, salt, static_cast<std::uint32_t>(iterations)));
    if (!same(digest, stored)) throw wrong_password();
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
                       " (\"Sal\" TEXT NOT NULL, \"Iteracoes\" INTEGER NOT NULL, \"Resumo\" TEXT NOT NULL)");
        }
        const std::string salt = to_hex(random_bytes(16));
        Statement s = state.prepare("INSERT INTO " + table + " VALUES (?1, ?2, ?3)");
        s.bind_text(1, salt);
        s.bind_int64(2, kIterations);
        s.bind_text(3, to_hex(pbkdf2_sha256(password, salt, kIterations)));
        s.run();
    }
    if (transaction) transaction->commit();
}

}  // namespace pezolva::engine::detail
