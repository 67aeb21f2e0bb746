#include "engine/database.h"

#include <filesystem>

#include "engine/detail/connection_text.h"
#include "engine/detail/db_state.h"
#include "engine/detail/dialect.h"
#include "engine/detail/external_insert.h"
#include "engine/detail/password_gate.h"
#include "engine/detail/rebuild.h"
#include "engine/detail/record_source.h"
#include "engine/detail/schema_reader.h"
#include "engine/detail/sql_lexer.h"
#include "engine/interruption.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace fs = std::filesystem;
namespace {

constexpr int kBusyTimeoutMs = 5000;
// Virtual-machine steps between two looks at an interruption request: a
// look is one atomic load, and a few thousand steps take microseconds.
constexpr int kStepsBetweenChecks = 4096;

extern "C" int stop_when_interrupted(void*) { return interruption_requested() != 0 ? 1 : 0; }

EngineError database_exists(const std::string& path) {
    return {ErroBaseExiste, "A base de dados '" + path + "' já existe."};
}

detail::ConnectionPtr connect(const std::string& path, const std::string& uri, int flags) {
    detail::ConnectionPtr connection = detail::open_connection(path, uri, flags);
    sqlite3_busy_timeout(connection.get(), kBusyTimeoutMs);
    sqlite3_progress_handler(connection.get(), kStepsBetweenChecks, stop_when_interrupted, nullptr);
    return connection;
}

// True for INSERT, UPDATE, DELETE and REPLACE (also behind WITH): the
// statements whose rows count as affected.
bool changes_rows(const detail::Statement& statement) {
    if (statement.read_only()) return false;
    const std::string_view sql = sqlite3_sql(statement.get());
    const std::vector<detail::Token> t = detail::tokenize(sql);
    if (t.empty()) return false;
    for (const char* word : {"INSERT", "UPDATE", "DELETE", "REPLACE", "WITH"}) {
        if (detail::is_keyword(sql, t[0], word)) return true;
    }
    return false;
}

// Throws unless `path` is a file SQLite would open as a database.
void check_openable(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) throw file_not_found(path);
    // An empty file would be taken by SQLite as a new database.
    if (!fs::is_regular_file(status) || fs::file_size(path, ec) == 0) throw not_a_database(path);
}

// Opens `path` under `lock`, which the connection keeps until it closes.
std::shared_ptr<detail::DbState> open_locked(const std::string& path, CompanionLock lock,
                                             bool read_only, const std::string& connect_text) {
    std::error_code ec;
    const int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    detail::ConnectionPtr connection;
    try {
        connection =
            connect(path, detail::file_uri(path, read_only ? "mode=ro" : "mode=rw"), flags);
    } catch (const EngineError&) {
        if (!fs::exists(path, ec)) throw file_not_found(path);
        throw;
    }
    if (!read_only && sqlite3_db_readonly(connection.get(), "main") == 1) {
        throw not_writable(path);
    }
    auto state =
        std::make_shared<detail::DbState>(path, std::move(connection), std::move(lock), read_only);
    try {
        state->value("SELECT count(*) FROM sqlite_schema");
        state->exec("PRAGMA foreign_keys=ON");
    } catch (const EngineError& e) {
        if (e.numero() == ErroBloqueado) throw in_use(path);
        throw;
    }
    state->password = detail::password_from_connect(connect_text);
    detail::check_password(*state, state->password);
    return state;
}

}  // namespace

Database open_database(const std::string& path, bool exclusive, bool read_only,
                       const std::string& connect_text) {
    check_openable(path);
    CompanionLock lock(path,
                       exclusive ? CompanionLock::Mode::Exclusive : CompanionLock::Mode::Shared);
    return Database(open_locked(path, std::move(lock), read_only, connect_text));
}

Database OpenDatabase(const std::string& path, bool exclusive, bool read_only,
                      const std::string& connect) {
    return open_database(path, exclusive, read_only, connect);
}

Database OpenHeldDatabase(const std::string& path, const std::string& connect) {
    check_openable(path);
    return Database(open_locked(path, CompanionLock(), true, connect));
}

Database CreateDatabase(const std::string& path, const std::string& password) {
    detail::check_storable_password(password);
    std::error_code ec;
    if (fs::exists(path, ec)) throw database_exists(path);
    CompanionLock lock(path, CompanionLock::Mode::Exclusive);
    try {
        auto state =
            std::make_shared<detail::DbState>(path,
                                              connect(path, detail::file_uri(path, "mode=rwc"),
                                                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE),
                                              CompanionLock(), false);
        state->exec("VACUUM");  // writes the header: the file is a database from now on
        state->exec("PRAGMA foreign_keys=ON");
        if (!password.empty()) detail::write_password(*state, password);
        state->close();
    } catch (...) {
        fs::remove(path, ec);
        throw;
    }
    lock.release();
    return open_database(path, false, false, ";pwd=" + password);
}

void CompactDatabase(const std::string& source, const std::string& destination,
                     const std::string& /*locale*/, int /*options*/, const std::string& connect) {
    CompactHeldDatabase(source, CompanionLock(), destination, connect);
}

void CompactHeldDatabase(const std::string& source, CompanionLock held,
                         const std::string& destination, const std::string& connect,
                         CopySync sync) {
    check_openable(source);
    if (!held.held()) held = CompanionLock(source, CompanionLock::Mode::Shared);
    Database from(open_locked(source, std::move(held), true, connect));
    std::error_code ec;
    const bool existed = fs::exists(destination, ec);
    if (existed && (!fs::is_regular_file(destination, ec) || fs::file_size(destination, ec) != 0)) {
        throw database_exists(destination);
    }
    const fs::path folder = fs::absolute(destination).parent_path();
    if (!fs::is_directory(folder, ec)) {
        // Built by appending: GCC 12 at -O3 warns falsely on "'" + std::string.
        std::string descricao(1, '\'');
        descricao += folder.string();
        descricao += "' não é um caminho válido.";
        throw EngineError(ErroCaminho, descricao);
    }
    detail::DbState& state = *from.state();
    // VACUUM INTO writes its output with the source connection's
    // synchronous level.
    if (sync == CopySync::LeftToCaller) state.exec("PRAGMA main.synchronous=OFF");
    try {
        detail::Statement vacuum = state.prepare("VACUUM INTO ?1");
        vacuum.bind_text(1, detail::file_uri(destination, ""));
        vacuum.run();
    } catch (const EngineError& e) {
        if (existed)
            fs::resize_file(destination, 0, ec);
        else
            fs::remove(destination, ec);
        throw EngineError(e.numero(), "Não foi possível compactar '" + source + "' em '" +
                                          destination + "'. " + e.descricao());
    }
}

void SetPassword(Database& database, const std::string& old_password,
                 const std::string& new_password) {
    database.NewPassword(old_password, new_password);
}

Workspace CreateWorkspace(const std::string& name, const std::string& user,
                          const std::string& /*password*/) {
    return Workspace(name, user);
}

Database Workspace::OpenDatabase(const std::string& path, bool exclusive, bool read_only,
                                 const std::string& connect) const {
    return open_database(path, exclusive, read_only, connect);
}

std::shared_ptr<detail::DbState> Database::state() const {
    if (!state_ || !state_->open()) throw object_closed();
    return state_;
}

const std::string& Database::path() const {
    static const std::string none;
    return state_ ? state_->path() : none;
}

bool Database::IsOpen() const { return state_ && state_->open(); }

Collection<engine::TableDef> Database::TableDefs() const {
    auto s = state();
    // The schema is walked once: each table is read from its own entry, not
    // looked up again among all of them.
    const auto indexes = detail::indexes_by_table(*s);
    static const std::vector<std::string> none;
    std::vector<engine::TableDef> tables;
    for (const detail::StoredTable& t : detail::stored_tables(*s)) {
        engine::TableDef def;
        def.state_ = s;
        const auto made = indexes.find(t.name);
        def.load(t, made == indexes.end() ? &none : &made->second);
        tables.push_back(std::move(def));
    }
    return Collection<engine::TableDef>(std::move(tables));
}

engine::TableDef Database::TableDef(std::string_view name) const {
    auto s = state();
    const auto table = detail::find_table(*s, name);
    if (!table) throw item_not_found(std::string(name));
    engine::TableDef def;
    def.state_ = s;
    def.name_ = table->name;
    def.Refresh();
    return def;
}

Collection<Relation> Database::Relations() const {
    return Collection<Relation>(detail::read_relations(*state()));
}

Recordset Database::OpenRecordset(std::string_view source) {
    return Recordset(detail::open_source(state(), source));
}

void Database::Execute(std::string_view statement) {
    auto s = state();
    s->records_affected = 0;
    const detail::Translated translated = detail::translate_statement(statement);
    if (translated.external) {
        s->records_affected = detail::insert_into_external(*s, *translated.external);
        return;
    }
    std::int64_t affected = 0;
    std::string_view sql = translated.sql;
    while (!sql.empty()) {
        std::string_view tail;
        detail::Statement one(s->db(), sql, s->path(), &tail);
        if (!one.empty()) {
            one.run();
            if (changes_rows(one)) affected += s->changes();
        }
        sql = tail;
    }
    s->records_affected = affected;
}

std::int64_t Database::RecordsAffected() const { return state()->records_affected; }

namespace {

std::string name_list(const std::vector<RelationField>& fields, bool foreign) {
    std::string text;
    for (const RelationField& f : fields)
        text += (text.empty() ? "" : ", ") + quote_identifier(foreign ? f.ForeignName : f.Name);
    return text;
}

// "CONSTRAINT name FOREIGN KEY (...) REFERENCES parent (...) ON ...": the
// actions are keywords the engine knows, never text joined as given.
std::string foreign_key_clause(const Relation& r) {
    auto action = [&](const std::string& a) {
        for (const char* known : {"CASCADE", "SET NULL", "SET DEFAULT", "RESTRICT"}) {
            if (iequals(a, known)) return std::string(known);
        }
        return std::string("NO ACTION");
    };
    return "CONSTRAINT " + quote_identifier(r.Name()) + " FOREIGN KEY (" +
           name_list(r.Fields(), true) + ") REFERENCES " + quote_identifier(r.Table()) + " (" +
           name_list(r.Fields(), false) + ") ON UPDATE " + action(r.OnUpdate()) + " ON DELETE " +
           action(r.OnDelete());
}

}  // namespace

engine::TableDef Database::CreateTableDef(std::string name) const {
    engine::TableDef def;
    def.name_ = std::move(name);
    return def;
}

void Database::AppendTableDef(engine::TableDef& definition) {
    auto s = state();
    if (definition.stored() || detail::find_table(*s, definition.Name(), true)) {
        throw EngineError(ErroTabelaExiste, "A tabela '" + definition.Name() + "' já existe.");
    }
    // Fields of a required index become NOT NULL.
    std::vector<Field> fields = definition.Fields().items();
    for (const Index& index : definition.Indexes()) {
        if (!index.Required()) continue;
        for (Field& f : fields) {
            for (const std::string& name : index.Fields()) {
                if (iequals(f.Name(), name)) f.SetRequired(true);
            }
        }
    }
    std::string sql = "CREATE TABLE " + quote_identifier(definition.Name()) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i) sql += (i ? ", " : "") + fields[i].definition();
    for (const Index& index : definition.Indexes()) {
        if (index.Primary()) sql += ", " + detail::primary_key_clause(index);
    }
    for (const Relation& relation : definition.relations_)
        sql += ", " + foreign_key_clause(relation);
    sql += ")";
    detail::Savepoint savepoint(*s, "pz_cria_tabela");
    s->exec(sql);
    for (const Index& index : definition.Indexes()) {
        if (!index.Primary()) s->exec(detail::create_index_sql(definition.Name(), index));
    }
    savepoint.release();
    definition.state_ = s;
    definition.Refresh();
}

void Database::DeleteTableDef(std::string_view name) {
    auto s = state();
    const auto table = detail::find_table(*s, name);
    if (!table) throw item_not_found(std::string(name));
    s->exec("DROP TABLE " + quote_identifier(table->name));
}

void Database::NewPassword(const std::string& old_password, const std::string& new_password) {
    auto s = state();
    detail::check_password(*s, old_password);
    detail::write_password(*s, new_password);
}

void Database::Close() {
    if (state_) state_->close();
}

Transaction::Transaction(Database& database)
    : state_(database.state()), guard_(std::make_unique<detail::TransactionGuard>(*state_)) {}

Transaction::~Transaction() = default;

void Transaction::Commit() {
    if (!guard_) throw EngineError(ErroArgumento, "A transacção já terminou.");
    guard_->commit();
    guard_.reset();
}

void Transaction::Rollback() { guard_.reset(); }

}  // namespace pezolva::engine
