#include "engine/detail/sql_lexer.h"

namespace pezolva::engine::detail {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// End of a quoted run opened at `i` by `open` and closed by `close`; a
// doubled closing mark (except for ]) stays inside.
std::size_t quoted_end(std::string_view sql, std::size_t i, char close) {
    std::size_t j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == close) {
            if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return sql.size();
}

}  // namespace

std::vector<Token> tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (is_space(c)) {
            ++i;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            while (i < sql.size() && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const auto close = sql.find("*/", i + 2);
            i = close == std::string_view::npos ? sql.size() : close + 2;
        } else if (c == '"' || c == '`' || c == '[') {
            const std::size_t end = quoted_end(sql, i, c == '[' ? ']' : c);
            tokens.push_back({Token::Quoted, i, end});
            i = end;
        } else if (c == '\'') {
            const std::size_t end = quoted_end(sql, i, '\'');
            tokens.push_back({Token::String, i, end});
            i = end;
        } else if ((c == 'x' || c == 'X') && i + 1 < sql.size() && sql[i + 1] == '\'') {
            const std::size_t end = quoted_end(sql, i + 1, '\'');
            tokens.push_back({Token::Other, i, end});
            i = end;
        } else if (is_digit(c) || (c == '.' && i + 1 < sql.size() && is_digit(sql[i + 1]))) {
            std::size_t j = i + 1;
            while (j < sql.size() &&
                   (is_word_char(sql[j]) || sql[j] == '.' ||
                    ((sql[j] == '+' || sql[j] == '-') && (sql[j - 1] == 'e' || sql[j - 1] == 'E'))))
                ++j;
            tokens.push_back({Token::Number, i, j});
            i = j;
        } else if (is_word_char(c)) {
            std::size_t j = i + 1;
            while (j < sql.size() && is_word_char(sql[j])) ++j;
            tokens.push_back({Token::Word, i, j});
            i = j;
        } else if (c == '(' || c == ')' || c == ',' || c == ';' || c == '.') {
            tokens.push_back({Token::Punct, i, i + 1});
            ++i;
        } else {
            std::size_t j = i + 1;
            if ((c == '?' || c == ':' || c == '@' || c == '$')) {
                while (j < sql.size() && is_word_char(sql[j])) ++j;
            } else if (j < sql.size() &&
                       (sql[j] == '=' || sql[j] == '>' || sql[j] == '<' || sql[j] == '|')) {
                ++j;
            }
            tokens.push_back({Token::Other, i, j});
            i = j;
        }
    }
    return tokens;
}

std::string_view token_text(std::string_view sql, const Token& t) {
    return sql.substr(t.begin, t.end - t.begin);
}

bool is_keyword(std::string_view sql, const Token& t, std::string_view keyword) {
    if (t.kind != Token::Word || t.end - t.begin != keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (lower(sql[t.begin + i]) != lower(keyword[i])) return false;
    }
    return true;
}

bool is_punct(std::string_view sql, const Token& t, char c) {
    return t.kind == Token::Punct && sql[t.begin] == c;
}

std::string token_name(std::string_view sql, const Token& t) {
    const std::string_view text = token_text(sql, t);
    if ((t.kind != Token::Quoted && t.kind != Token::String) || text.size() < 2)
        return std::string(text);
    const char open = text.front();
    const char close = open == '[' ? ']' : open;
    std::string name;
    std::string_view inner = text.substr(1);
    if (!inner.empty() && inner.back() == close) inner.remove_suffix(1);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        name += inner[i];
        if (close != ']' && inner[i] == close && i + 1 < inner.size() && inner[i + 1] == close) ++i;
    }
    return name;
}

std::size_t matching_paren(std::string_view sql, const std::vector<Token>& tokens,
                           std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        if (is_punct(sql, tokens[i], '('))
            ++depth;
        else if (is_punct(sql, tokens[i], ')') && --depth == 0)
            return i;
    }
    return tokens.size();
}

}  // namespace pezolva::engine::detail
