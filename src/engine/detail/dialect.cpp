#include "engine/detail/dialect.h"

#include <vector>

#include "engine/detail/sql_lexer.h"
#include "engine/error.h"

namespace pezolva::engine::detail {
namespace {

bool is_name(const Token& t) { return t.kind == Token::Word || t.kind == Token::Quoted; }

}  // namespace

Translated translate_statement(std::string_view statement) {
    std::vector<Token> t = tokenize(statement);
    // A trailing ";" changes nothing.
    std::size_t n = t.size();
    if (n > 0 && is_punct(statement, t[n - 1], ';')) --n;
    auto kw = [&](std::size_t i, std::string_view word) {
        return i < n && is_keyword(statement, t[i], word);
    };

    if (kw(0, "DELETE") && n > 2 && token_text(statement, t[1]) == "*" && kw(2, "FROM")) {
        std::string sql(statement.substr(0, t[1].begin));
        sql += statement.substr(t[1].end);
        return {std::move(sql), std::nullopt};
    }

    if (kw(0, "INSERT") && kw(1, "INTO") && n > 3 && is_name(t[2]) && kw(3, "IN")) {
        const bool shaped = n == 9 && t[4].kind == Token::String && kw(5, "SELECT") &&
                            token_text(statement, t[6]) == "*" && kw(7, "FROM") && is_name(t[8]);
        if (!shaped) {
            throw EngineError(
                ErroSintaxe,
                "Erro de sintaxe na instrução INSERT INTO ... IN: só é aceite a forma "
                "\"insert into T in 'ficheiro' select * from T\".");
        }
        ExternalInsert e{token_name(statement, t[2]), token_name(statement, t[4]),
                         token_name(statement, t[8])};
        return {std::string(statement), std::move(e)};
    }
    return {std::string(statement), std::nullopt};
}

}  // namespace pezolva::engine::detail
