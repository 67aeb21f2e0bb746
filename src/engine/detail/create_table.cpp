#include "engine/detail/create_table.h"

#include <array>

#include "engine/detail/sql_lexer.h"

namespace pezolva::engine::detail {
namespace {

// Reads one definition (a column or a table constraint) from the tokens
// [first, last) of `sql`.
class ElementReader {
  public:
    ElementReader(std::string_view sql, const std::vector<Token>& tokens, std::size_t first,
                  std::size_t last)
        : sql_(sql), t_(tokens), p_(first), last_(last) {}

    bool at_end() const { return p_ >= last_; }
    bool kw(std::string_view word, std::size_t ahead = 0) const {
        return p_ + ahead < last_ && is_keyword(sql_, t_[p_ + ahead], word);
    }
    bool punct(char c) const { return p_ < last_ && is_punct(sql_, t_[p_], c); }

    bool starts_constraint() const {
        static constexpr std::array kStarts = {"CONSTRAINT", "PRIMARY",   "NOT",     "NULL",
                                               "UNIQUE",     "CHECK",     "DEFAULT", "COLLATE",
                                               "REFERENCES", "GENERATED", "AS"};
        for (const char* word : kStarts) {
            if (kw(word)) return true;
        }
        return false;
    }

    ColumnDef column() {
        ColumnDef c;
        c.begin = t_[p_].begin;
        c.name = token_name(sql_, t_[p_++]);
        const std::size_t type_first = p_;
        while (!at_end() && !starts_constraint()) skip_term();
        if (p_ > type_first)
            c.type = std::string(
                sql_.substr(t_[type_first].begin, t_[p_ - 1].end - t_[type_first].begin));
        while (!at_end()) c.constraints.push_back(column_constraint());
        c.end = t_[last_ - 1].end;
        return c;
    }

    TableConstraint table_constraint() {
        TableConstraint c;
        c.begin = t_[p_].begin;
        c.name = constraint_name();
        if (kw("PRIMARY") || kw("UNIQUE")) {
            c.kind = kw("PRIMARY") ? TableConstraint::PrimaryKey : TableConstraint::Unique;
            p_ += kw("PRIMARY") ? 2 : 1;
            c.columns = column_list();
        } else if (kw("CHECK")) {
            c.kind = TableConstraint::Check;
        } else if (kw("FOREIGN")) {
            c.kind = TableConstraint::Foreign;
            p_ += 2;
            c.columns = column_list();
            if (kw("REFERENCES")) {
                ++p_;
                c.references = references();
            }
        }
        c.end = t_[last_ - 1].end;
        return c;
    }

  private:
    // One token, or a whole parenthesised group.
    void skip_term() {
        if (punct('(')) {
            const std::size_t close = matching_paren(sql_, t_, p_);
            p_ = close < last_ ? close + 1 : last_;
        } else {
            ++p_;
        }
    }

    std::string constraint_name() {
        if (!kw("CONSTRAINT") || p_ + 1 >= last_) return {};
        std::string name = token_name(sql_, t_[p_ + 1]);
        p_ += 2;
        return name;
    }

    // "(a COLLATE x DESC, b)": the first name of each part.
    std::vector<std::string> column_list() {
        std::vector<std::string> names;
        if (!punct('(')) return names;
        const std::size_t close = std::min(matching_paren(sql_, t_, p_), last_);
        bool expect_name = true;
        int depth = 0;
        for (std::size_t i = p_ + 1; i < close; ++i) {
            if (is_punct(sql_, t_[i], '('))
                ++depth;
            else if (is_punct(sql_, t_[i], ')'))
                --depth;
            else if (depth == 0 && is_punct(sql_, t_[i], ','))
                expect_name = true;
            else if (expect_name && depth == 0) {
                names.push_back(token_name(sql_, t_[i]));
                expect_name = false;
            }
        }
        p_ = close < last_ ? close + 1 : last_;
        return names;
    }

    // After REFERENCES: the parent, its columns and every clause that
    // belongs to the foreign key.
    References references() {
        References r;
        if (at_end()) return r;
        r.parent = token_name(sql_, t_[p_++]);
        if (punct('(')) r.to = column_list();
        while (!at_end()) {
            if (kw("ON") && (kw("DELETE", 1) || kw("UPDATE", 1))) {
                p_ += 2;
                if (kw("SET") || kw("NO"))
                    p_ += 2;
                else
                    ++p_;
            } else if (kw("MATCH")) {
                p_ += 2;
            } else if (kw("NOT") && kw("DEFERRABLE", 1)) {
                p_ += 2;
            } else if (kw("DEFERRABLE")) {
                ++p_;
            } else if (kw("INITIALLY")) {
                p_ += 2;
            } else {
                break;
            }
        }
        p_ = std::min(p_, last_);
        return r;
    }

    ColumnConstraint column_constraint() {
        ColumnConstraint c;
        c.begin = t_[p_].begin;
        c.name = constraint_name();
        if (at_end()) {
            c.end = t_[last_ - 1].end;
            return c;
        }
        if (kw("PRIMARY")) {
            c.kind = ColumnConstraint::PrimaryKey;
            p_ += 2;
            skip_until_constraint();
        } else if (kw("NOT") && kw("NULL", 1)) {
            c.kind = ColumnConstraint::NotNull;
            p_ += 2;
            skip_until_constraint();
        } else if (kw("NULL")) {
            c.kind = ColumnConstraint::Null;
            ++p_;
            skip_until_constraint();
        } else if (kw("UNIQUE")) {
            c.kind = ColumnConstraint::Unique;
            ++p_;
            skip_until_constraint();
        } else if (kw("CHECK")) {
            c.kind = ColumnConstraint::Check;
            ++p_;
            skip_term();
        } else if (kw("DEFAULT")) {
            c.kind = ColumnConstraint::Default;
            ++p_;
            if (!at_end() && t_[p_].kind == Token::Other) ++p_;  // a sign
            if (!at_end()) skip_term();
        } else if (kw("COLLATE")) {
            c.kind = ColumnConstraint::Collate;
            p_ += 2;
        } else if (kw("REFERENCES")) {
            c.kind = ColumnConstraint::Foreign;
            ++p_;
            c.references = references();
        } else if (kw("GENERATED") || kw("AS")) {
            c.kind = ColumnConstraint::Generated;
            while (!at_end() && !punct('(')) ++p_;
            if (!at_end()) skip_term();
            if (kw("STORED") || kw("VIRTUAL")) ++p_;
        } else {
            ++p_;
        }
        p_ = std::min(p_, last_);
        c.end = t_[p_ - 1].end;
        return c;
    }

    void skip_until_constraint() {
        while (!at_end() && !starts_constraint()) skip_term();
    }

    std::string_view sql_;
    const std::vector<Token>& t_;
    std::size_t p_;
    std::size_t last_;
};

bool is_table_constraint(std::string_view sql, const Token& t) {
    for (const char* word : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"}) {
        if (is_keyword(sql, t, word)) return true;
    }
    return false;
}

}  // namespace

std::optional<CreateTable> parse_create_table(std::string_view sql) {
    const std::vector<Token> t = tokenize(sql);
    std::size_t p = 0;
    auto kw = [&](std::string_view word) { return p < t.size() && is_keyword(sql, t[p], word); };
    if (!kw("CREATE")) return std::nullopt;
    ++p;
    if (kw("TEMP") || kw("TEMPORARY")) ++p;
    if (!kw("TABLE")) return std::nullopt;
    ++p;
    if (kw("IF")) p += 3;
    if (p >= t.size()) return std::nullopt;
    CreateTable table;
    table.name_begin = t[p].begin;
    table.name_end = t[p].end;
    ++p;
    if (p + 1 < t.size() && is_punct(sql, t[p], '.')) {
        table.name_end = t[p + 1].end;
        p += 2;
    }
    if (p >= t.size() || !is_punct(sql, t[p], '(')) return std::nullopt;
    const std::size_t close = matching_paren(sql, t, p);
    if (close >= t.size()) return std::nullopt;
    table.tail = std::string(sql.substr(t[close].end));

    std::size_t first = p + 1;
    int depth = 0;
    for (std::size_t i = p + 1; i <= close; ++i) {
        if (i < close && is_punct(sql, t[i], '('))
            ++depth;
        else if (i < close && is_punct(sql, t[i], ')'))
            --depth;
        const bool ends = i == close || (depth == 0 && is_punct(sql, t[i], ','));
        if (!ends) continue;
        if (i > first) {
            ElementReader reader(sql, t, first, i);
            if (is_table_constraint(sql, t[first])) {
                table.order.push_back({false, table.constraints.size()});
                table.constraints.push_back(reader.table_constraint());
            } else {
                table.order.push_back({true, table.columns.size()});
                table.columns.push_back(reader.column());
            }
        }
        first = i + 1;
    }
    return table;
}

std::vector<WrittenForeignKey> written_foreign_keys(const CreateTable& table) {
    std::vector<WrittenForeignKey> keys;
    for (const Element& e : table.order) {
        if (e.is_column) {
            const ColumnDef& c = table.columns[e.index];
            for (const ColumnConstraint& k : c.constraints) {
                if (k.kind == ColumnConstraint::Foreign)
                    keys.push_back({k.name, {c.name}, k.references});
            }
        } else {
            const TableConstraint& k = table.constraints[e.index];
            if (k.kind == TableConstraint::Foreign)
                keys.push_back({k.name, k.columns, k.references});
        }
    }
    return keys;
}

std::string primary_key_name(const CreateTable& table) {
    for (const ColumnDef& c : table.columns) {
        for (const ColumnConstraint& k : c.constraints) {
            if (k.kind == ColumnConstraint::PrimaryKey) return k.name;
        }
    }
    for (const TableConstraint& k : table.constraints) {
        if (k.kind == TableConstraint::PrimaryKey) return k.name;
    }
    return {};
}

}  // namespace pezolva::engine::detail
