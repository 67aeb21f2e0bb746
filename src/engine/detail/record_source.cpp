#include "engine/detail/record_source.h"

#include <optional>

#include "common/text.h"
#include "engine/detail/schema_reader.h"
#include "engine/detail/sql_lexer.h"
#include "engine/quoting.h"

namespace pezolva::engine::detail {
namespace {

// "SELECT columns FROM table [alias] [WHERE ...] [ORDER BY ...] [LIMIT ...]",
// with plain column names only: the rows are rows of that one table.
struct SimpleSelect {
    std::string table;
    std::string qualifier;  // the alias, or the table as written
    std::string list;       // the select list as written
    bool star = false;
    std::vector<std::pair<std::string, std::string>> items;  // (column, result name)
    std::string from;                                        // table [AS alias], as written
    std::string rest;                                        // what follows, without a final ";"
    bool ordered = false;
    std::size_t limit_at = std::string::npos;  // offset of LIMIT in rest
};

bool is_name(const Token& t) { return t.kind == Token::Word || t.kind == Token::Quoted; }

// Reads the select list from token `p` on: "*", "t.*", or plain columns
// (qualified or not) with their result names; leaves `p` after it.  False
// when the list is anything else.
bool read_select_list(std::string_view sql, const std::vector<Token>& t, std::size_t n,
                      std::size_t& p, SimpleSelect& s) {
    auto kw = [&](std::size_t i, std::string_view w) { return i < n && is_keyword(sql, t[i], w); };
    if (p < n && token_text(sql, t[p]) == "*") {
        s.star = true;
        ++p;
        return true;
    }
    if (p + 2 < n && is_name(t[p]) && is_punct(sql, t[p + 1], '.') &&
        token_text(sql, t[p + 2]) == "*") {
        s.star = true;
        p += 3;
        return true;
    }
    while (true) {
        if (p >= n || !is_name(t[p]) || kw(p, "DISTINCT") || kw(p, "ALL")) return false;
        std::string column = token_name(sql, t[p++]);
        if (p + 1 < n && is_punct(sql, t[p], '.') && is_name(t[p + 1])) {
            column = token_name(sql, t[p + 1]);
            p += 2;
        }
        std::string result = column;
        if (kw(p, "AS")) ++p;
        if (p < n && is_name(t[p]) && !kw(p, "FROM")) result = token_name(sql, t[p++]);
        s.items.emplace_back(column, result);
        if (p >= n || !is_punct(sql, t[p], ',')) return true;
        ++p;
    }
}

std::optional<SimpleSelect> parse_simple_select(std::string_view sql) {
    const std::vector<Token> t = tokenize(sql);
    std::size_t n = t.size();
    if (n > 0 && is_punct(sql, t[n - 1], ';')) --n;
    auto kw = [&](std::size_t i, std::string_view w) { return i < n && is_keyword(sql, t[i], w); };
    if (!kw(0, "SELECT")) return std::nullopt;
    SimpleSelect s;
    const std::size_t list_begin = 1;
    std::size_t p = list_begin;
    if (!read_select_list(sql, t, n, p, s)) return std::nullopt;
    if (!kw(p, "FROM") || p + 1 >= n || !is_name(t[p + 1])) return std::nullopt;
    s.list = std::string(sql.substr(t[list_begin].begin, t[p - 1].end - t[list_begin].begin));
    const std::size_t from_token = p + 1;
    s.table = token_name(sql, t[from_token]);
    s.qualifier = std::string(token_text(sql, t[from_token]));
    p = from_token + 1;
    if (kw(p, "AS")) ++p;
    if (p < n && is_name(t[p]) && !kw(p, "WHERE") && !kw(p, "ORDER") && !kw(p, "LIMIT")) {
        s.qualifier = std::string(token_text(sql, t[p]));
        ++p;
    }
    s.from = std::string(sql.substr(t[from_token].begin, t[p - 1].end - t[from_token].begin));
    if (p < n && !kw(p, "WHERE") && !kw(p, "ORDER") && !kw(p, "LIMIT")) return std::nullopt;
    int depth = 0;
    const std::size_t rest_begin = p < n ? t[p].begin : sql.size();
    for (std::size_t i = p; i < n; ++i) {
        if (is_punct(sql, t[i], '('))
            ++depth;
        else if (is_punct(sql, t[i], ')'))
            --depth;
        else if (depth == 0) {
            for (const char* w :
                 {"GROUP", "HAVING", "UNION", "INTERSECT", "EXCEPT", "WINDOW", "JOIN"}) {
                if (is_keyword(sql, t[i], w)) return std::nullopt;
            }
            if (is_punct(sql, t[i], ';')) return std::nullopt;
            if (is_keyword(sql, t[i], "ORDER")) s.ordered = true;
            if (is_keyword(sql, t[i], "LIMIT")) s.limit_at = t[i].begin - rest_begin;
        }
    }
    s.rest = p < n ? std::string(sql.substr(rest_begin, t[n - 1].end - rest_begin)) : std::string();
    return s;
}

const Field* field_named(const std::vector<Field>& fields, std::string_view name) {
    for (const Field& f : fields) {
        if (iequals(f.Name(), name)) return &f;
    }
    return nullptr;
}

// The rows of `select` read by rowid, or nullptr when its table cannot be
// (a view, a WITHOUT ROWID table, every rowid name taken by a column, or a
// table not stored in the file: SQLite's own, a temporary one, or none,
// which the statement itself then reports).
std::shared_ptr<RecordSource> rowid_source(const std::shared_ptr<DbState>& state,
                                           const SimpleSelect& select) {
    const std::optional<StoredTable> table = find_table(*state, select.table, true);
    if (!table) return nullptr;
    if (table->view) return nullptr;
    if (auto parsed = parse_create_table(table->sql); !parsed || without_rowid(*parsed))
        return nullptr;
    const std::vector<Field> table_fields = read_fields(*state, table->name);

    auto source = std::make_shared<RecordSource>();
    for (const char* name : {"_rowid_", "rowid", "oid"}) {
        if (!field_named(table_fields, name)) {
            source->rowid_name = name;
            break;
        }
    }
    if (source->rowid_name.empty()) return nullptr;

    std::vector<Field> fields;
    if (select.star) {
        fields = table_fields;
        for (const Field& f : table_fields) source->columns.push_back(f.Name());
    } else {
        for (const auto& [column, result] : select.items) {
            const Field* f = field_named(table_fields, column);
            if (!f) {
                throw EngineError(ErroColuna, "Coluna desconhecida: '" + column + "'.");
            }
            fields.push_back(Field::FromDeclared(result, f->DeclaredType(), f->Required()));
            source->columns.push_back(f->Name());
        }
    }
    source->state = state;
    source->by_rowid = true;
    source->table = table->name;
    source->fields = Collection<Field>(std::move(fields));

    const std::string rowid = select.qualifier + "." + source->rowid_name;
    // The select list is only needed when WHERE or ORDER BY may name its
    // aliases; without it SQLite reads no column values.
    std::string order_sql = "SELECT " + rowid + (select.rest.empty() ? "" : ", " + select.list) +
                            " FROM " + select.from;
    std::string rest = select.rest;
    if (!select.ordered) {
        const std::string order = " ORDER BY " + rowid + " ";
        if (select.limit_at == std::string::npos)
            rest += order;
        else
            rest.insert(select.limit_at, order);
    }
    order_sql += " " + rest;
    Statement s = state->prepare(order_sql);
    while (s.step()) source->rowids.push_back(s.column_int64(0));

    source->fetch_sql = "SELECT " + quote_identifier_list(source->columns) + " FROM " +
                        quote_identifier(table->name) + " WHERE " + source->rowid_name + " = ?1";
    source->find_sql = "SELECT \"pz_id\" FROM (SELECT " + rowid + " AS \"pz_id\", " + select.list +
                       " FROM " + select.from + ") WHERE (";
    return source;
}

std::shared_ptr<RecordSource> materialised_source(const std::shared_ptr<DbState>& state,
                                                  std::string_view sql) {
    Statement s = state->prepare(sql);
    if (s.empty() || s.column_count() == 0 || !s.read_only()) {
        throw EngineError(ErroArgumento,
                          "Só uma tabela ou uma consulta que devolve registos pode ser aberta.");
    }
    auto source = std::make_shared<RecordSource>();
    source->state = state;
    const int count = s.column_count();
    std::vector<std::string> declared(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) declared[i] = s.column_decltype(i);
    bool first = true;
    std::vector<Field> fields;
    while (s.step()) {
        if (first) {
            // An expression has no declared type: its first value tells.
            for (int i = 0; i < count; ++i) {
                std::string type = declared[i];
                if (type.empty()) {
                    switch (s.column_type(i)) {
                        case SQLITE_INTEGER:
                            type = "LONG";
                            break;
                        case SQLITE_FLOAT:
                            type = "DOUBLE";
                            break;
                        case SQLITE_TEXT:
                            type = "TEXT";
                            break;
                        default:
                            break;
                    }
                }
                fields.push_back(Field::FromDeclared(s.column_name(i), type, false));
            }
            first = false;
        }
        std::vector<Value> row;
        for (int i = 0; i < count; ++i)
            row.push_back(typed_value(s.column_value(i), fields[i].Type()));
        source->rows.push_back(std::move(row));
    }
    if (first) {
        for (int i = 0; i < count; ++i)
            fields.push_back(Field::FromDeclared(s.column_name(i), declared[i], false));
    }
    source->fields = Collection<Field>(std::move(fields));
    return source;
}

}  // namespace

Value typed_value(Value raw, int code) {
    switch (code) {
        case TipoSimNao:
            if (raw.kind() == Value::Kind::Integer || raw.kind() == Value::Kind::Real)
                return Value(*raw.to_real() != 0);
            return raw;
        case TipoSimples:
        case TipoDuplo:
            if (raw.kind() == Value::Kind::Integer) return Value(*raw.to_real());
            return raw;
        case TipoMoeda:
            // Stored scaled; given back as exact decimal text, never a double.
            if (raw.kind() == Value::Kind::Integer) return Value(currency_text(*raw.to_integer()));
            return raw;
        case TipoDataHora:
            if (const std::string* text = raw.text()) {
                if (auto date = DateTime::parse_iso(*text)) return Value(*date);
            }
            return raw;
        default:
            return raw;
    }
}

std::vector<Value> RecordSource::fetch(std::int64_t position) const {
    if (!by_rowid) return rows.at(static_cast<std::size_t>(position));
    Statement& s = state->cached(fetch_sql);
    s.bind_int64(1, rowids.at(static_cast<std::size_t>(position)));
    if (!s.step()) {
        s.reset();
        throw EngineError(ErroRegistoEliminado, "O registo actual foi eliminado.");
    }
    std::vector<Value> row;
    for (std::size_t i = 0; i < fields.Count(); ++i) {
        row.push_back(typed_value(s.column_value(static_cast<int>(i)), fields[i].Type()));
    }
    s.reset();
    return row;
}

std::shared_ptr<RecordSource> open_source(const std::shared_ptr<DbState>& state,
                                          std::string_view source) {
    const std::string text = trim(source);
    const std::vector<Token> tokens = tokenize(text);
    std::optional<StoredTable> table = find_table(*state, text, true);
    if (!table && tokens.size() == 1 && is_name(tokens[0])) {
        table = find_table(*state, token_name(text, tokens[0]), true);
        if (!table) throw table_not_found(token_name(text, tokens[0]));
    }
    if (table) {
        const std::string quoted = quote_identifier(table->name);
        if (!table->view) {
            SimpleSelect select;
            select.table = table->name;
            select.qualifier = quoted;
            select.list.assign(1, '*');  // GCC 12 -O3 warns falsely on = "*"
            select.star = true;
            select.from = quoted;
            if (auto by_rowid = rowid_source(state, select)) return by_rowid;
        }
        return materialised_source(state, "SELECT * FROM " + quoted);
    }
    if (auto select = parse_simple_select(text)) {
        if (auto by_rowid = rowid_source(state, *select)) return by_rowid;
    }
    return materialised_source(state, text);
}

}  // namespace pezolva::engine::detail
