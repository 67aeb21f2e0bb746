#include "engine/detail/sqlite.h"

#include <utility>

#include "engine/detail/vector_state.h"

namespace pezolva::engine::detail {
namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The object name SQLite puts after "prefix" in its message, without the
// schema qualifier it sometimes adds.
std::string name_after(std::string_view message, std::string_view prefix) {
    auto pos = message.find(prefix);
    if (pos == std::string_view::npos) return {};
    std::string name(message.substr(pos + prefix.size()));
    for (const char* schema : {"main.", "temp."}) {
        if (name.rfind(schema, 0) == 0) name.erase(0, std::char_traits<char>::length(schema));
    }
    return name;
}

std::string describe(int number, std::string_view message, const std::string& path) {
    switch (number) {
        case ErroDuplicado:
            return "A alteração não foi efectuada porque criaria valores duplicados no índice, "
                   "chave primária ou relação.";
        case ErroNulo:
            return "Um campo obrigatório não pode conter um valor nulo.";
        case ErroIntegridade:
            return "A operação viola a integridade referencial de uma relação.";
        case ErroRegraValidacao:
            return "Um valor viola uma regra de validação da tabela.";
        case ErroBloqueado:
            return "O ficheiro '" + path + "' está bloqueado por outro utilizador.";
        case ErroSoLeitura:
            return "Não é possível actualizar: a base de dados '" + path + "' é só de leitura.";
        case ErroNaoBaseDados:
            return "Formato de base de dados não reconhecido: '" + path + "'.";
        case ErroDanificada:
            return "A base de dados '" + path + "' está danificada.";
        case ErroDiscoCheio:
            return "Não há espaço suficiente no disco para a base de dados '" + path + "'.";
        case ErroDisco:
            return "Erro de disco ao aceder à base de dados '" + path + "'.";
        case ErroAbrirFicheiro:
            return "Não foi possível abrir o ficheiro '" + path + "'.";
        case ErroTabelaInexistente:
            return "Não foi possível encontrar a tabela ou consulta '" +
                   name_after(message, "no such table: ") + "'.";
        case ErroColuna:
            return "Coluna desconhecida: '" + name_after(message, "no such column: ") + "'.";
        case ErroSintaxe:
            return "Erro de sintaxe na instrução SQL.";
        case ErroCancelado:
            return "A operação foi interrompida.";
        case ErroTabelaExiste:
            return "A tabela já existe.";
        case ErroObjectoExiste:
            return "Já existe um objecto com esse nome.";
        default:
            return "Erro do motor de base de dados.";
    }
}

int number_for(int code, std::string_view message) {
    switch (code) {
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_ROWID:
            return ErroDuplicado;
        case SQLITE_CONSTRAINT_NOTNULL:
            return ErroNulo;
        case SQLITE_CONSTRAINT_FOREIGNKEY:
            return ErroIntegridade;
        case SQLITE_CONSTRAINT_CHECK:
            return ErroRegraValidacao;
        default:
            break;
    }
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ErroBloqueado;
        case SQLITE_READONLY:
            return ErroSoLeitura;
        case SQLITE_NOTADB:
            return ErroNaoBaseDados;
        case SQLITE_CORRUPT:
            return ErroDanificada;
        case SQLITE_FULL:
            return ErroDiscoCheio;
        case SQLITE_IOERR:
            return ErroDisco;
        case SQLITE_CANTOPEN:
            return ErroAbrirFicheiro;
        case SQLITE_INTERRUPT:
            return ErroCancelado;
        case SQLITE_ERROR:
            if (contains(message, "no such table")) return ErroTabelaInexistente;
            if (contains(message, "no such column")) return ErroColuna;
            if (contains(message, "syntax error") || contains(message, "incomplete input") ||
                contains(message, "unrecognized token"))
                return ErroSintaxe;
            if (contains(message, "table") && contains(message, "already exists"))
                return ErroTabelaExiste;
            if (contains(message, "already exists") || contains(message, "duplicate column name"))
                return ErroObjectoExiste;
            return ErroMotor;
        default:
            return ErroMotor;
    }
}

// Failures that only writing meets: of the file being written.
bool from_writing(int code) {
    switch (code) {
        case SQLITE_IOERR_WRITE:
        case SQLITE_IOERR_FSYNC:
        case SQLITE_IOERR_DIR_FSYNC:
        case SQLITE_IOERR_TRUNCATE:
        case SQLITE_IOERR_DELETE:
        case SQLITE_IOERR_DELETE_NOENT:
        case SQLITE_IOERR_BEGIN_ATOMIC:
        case SQLITE_IOERR_COMMIT_ATOMIC:
        case SQLITE_IOERR_ROLLBACK_ATOMIC:
            return true;
        default:
            break;
    }
    switch (code & 0xff) {
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
            return true;  // the journal is the only file a copy opens
        default:
            return false;
    }
}

bool of_storage(int code) {
    switch (code & 0xff) {
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_NOMEM:
        case SQLITE_INTERRUPT:
        case SQLITE_ABORT:
        case SQLITE_PROTOCOL:
        case SQLITE_NOLFS:
        case SQLITE_PERM:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<EngineError> storage_failure(sqlite3* db, const EngineError& thrown,
                                           const std::string& source, const std::string& target) {
    const int code = sqlite3_extended_errcode(db);
    const std::string message = sqlite3_errmsg(db);
    if (of_storage(code) && number_for(code, message) == thrown.numero()) {
        return translate_error(code, message, from_writing(code) ? target : source);
    }
    // Should `db` no longer tell what happened (a rollback since), the
    // number still does, though less finely.
    switch (thrown.numero()) {
        case ErroDiscoCheio:
        case ErroSoLeitura:
        case ErroAbrirFicheiro:
            return naming(thrown, target);
        case ErroDisco:
        case ErroDanificada:
        case ErroNaoBaseDados:
        case ErroBloqueado:
            return naming(thrown, source);
        case ErroCancelado:
            return thrown;
        default:
            return std::nullopt;
    }
}

EngineError naming(const EngineError& error, const std::string& path) {
    static constexpr std::string_view kOpen = " (SQLite: ";
    const std::string& text = error.descricao();
    const auto tail = text.rfind(kOpen);
    std::string_view message;
    if (tail != std::string::npos && text.back() == ')') {
        message = std::string_view(text).substr(tail + kOpen.size());
        message.remove_suffix(1);
    }
    std::string renamed = describe(error.numero(), message, path);
    if (tail != std::string::npos) renamed += text.substr(tail);
    return {error.numero(), std::move(renamed)};
}

EngineError translate_error(int extended_code, std::string_view message, const std::string& path) {
    const int number = number_for(extended_code, message);
    std::string text = describe(number, message, path);
    if (!message.empty()) {
        text += " (SQLite: ";
        text += message;
        text += ")";
    }
    return {number, std::move(text)};
}

EngineError last_error(sqlite3* db, const std::string& path) {
    return translate_error(sqlite3_extended_errcode(db), sqlite3_errmsg(db), path);
}

ConnectionPtr open_connection(const std::string& path, const std::string& uri, int flags) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(uri.c_str(), &raw, flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    ConnectionPtr connection(raw);
    if (rc != SQLITE_OK) {
        if (!connection)
            throw EngineError(ErroMotor, "Memória insuficiente para abrir '" + path + "'.");
        throw last_error(connection.get(), path);
    }
    sqlite3_extended_result_codes(connection.get(), 1);
    return connection;
}

Statement::Statement(sqlite3* db, std::string_view sql, const std::string& path,
                     std::string_view* tail)
    : db_(db), path_(path) {
    const char* rest = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &rest);
    if (rc != SQLITE_OK) throw last_error(db, path_);
    if (tail != nullptr) *tail = sql.substr(static_cast<std::size_t>(rest - sql.data()));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), path_(std::move(other.path_)) {}

bool Statement::step() {
    clear_upper_vector_state();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    EngineError error = last_error(db_, path_);
    sqlite3_reset(stmt_);
    throw error;
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() { sqlite3_reset(stmt_); }
void Statement::clear_bindings() { sqlite3_clear_bindings(stmt_); }

void Statement::bind(int index, const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Null:
            bind_null(index);
            break;
        case Value::Kind::Boolean:
            bind_int64(index, *value.to_boolean() ? 1 : 0);
            break;
        case Value::Kind::Integer:
            bind_int64(index, *value.to_integer());
            break;
        case Value::Kind::Real:
            sqlite3_bind_double(stmt_, index, *value.to_real());
            break;
        case Value::Kind::Text:
            bind_text(index, *value.text());
            break;
        case Value::Kind::Date:
            bind_text(index, value.to_date()->to_iso());
            break;
    }
}

void Statement::bind_text(int index, std::string_view text) {
    sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Statement::bind_int64(int index, std::int64_t number) {
    sqlite3_bind_int64(stmt_, index, number);
}
void Statement::bind_null(int index) { sqlite3_bind_null(stmt_, index); }

int Statement::column_count() const { return sqlite3_column_count(stmt_); }

std::string Statement::column_name(int i) const {
    const char* name = sqlite3_column_name(stmt_, i);
    return name != nullptr ? name : "";
}

std::string Statement::column_decltype(int i) const {
    const char* type = sqlite3_column_decltype(stmt_, i);
    return type != nullptr ? type : "";
}

int Statement::column_type(int i) const { return sqlite3_column_type(stmt_, i); }
std::int64_t Statement::column_int64(int i) const { return sqlite3_column_int64(stmt_, i); }
double Statement::column_double(int i) const { return sqlite3_column_double(stmt_, i); }

std::string Statement::column_text(int i) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    if (text == nullptr) return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)));
}

Value Statement::column_value(int i) const {
    switch (column_type(i)) {
        case SQLITE_NULL:
            return Value::null();
        case SQLITE_INTEGER:
            return Value(column_int64(i));
        case SQLITE_FLOAT:
            return Value(column_double(i));
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
            return Value(std::string(bytes == nullptr ? "" : bytes,
                                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))));
        }
        default:
            return Value(column_text(i));
    }
}

bool Statement::read_only() const { return sqlite3_stmt_readonly(stmt_) != 0; }

void exec(sqlite3* db, std::string_view sql, const std::string& path) {
    while (!sql.empty()) {
        std::string_view tail;
        Statement statement(db, sql, path, &tail);
        if (!statement.empty()) statement.run();
        sql = tail;
    }
}

Value query_value(sqlite3* db, std::string_view sql, const std::string& path) {
    Statement statement(db, sql, path);
    if (!statement.step()) return Value::null();
    return statement.column_value(0);
}

}  // namespace pezolva::engine::detail
